#pragma once

#include "link/errorreporter.h"

#include <QString>
#include <QStringList>

// Keeps every reported error text, in order, for a test to check.
class RecordingErrorReporter : public ErrorReporter
{
public:
    void report(const QString &text) override { m_errors.append(text); }
    const QStringList &errors() const { return m_errors; }
    void clear() { m_errors.clear(); }

private:
    QStringList m_errors;
};
