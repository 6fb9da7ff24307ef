#pragma once

#include "protocol/kvterror.h"

#include <QString>
#include <QStringList>

// Small helpers every job of the automation channel shares: the error that
// becomes an "error ..." answer, quoting a name, checking a command's words.
namespace automation {

[[noreturn]] inline void Fail(const QString &text)
{
    throw KvtError(text);
}

inline QString Quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

inline void ExpectWords(const QStringList &words, int min, int max, const char *usage)
{
    if (words.size() < min || words.size() > max)
        Fail(QStringLiteral("usage: %1").arg(QLatin1String(usage)));
}

inline int ParseIndex(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        Fail(QStringLiteral("%1 is not a number").arg(Quoted(text)));
    return value;
}

} // namespace automation
