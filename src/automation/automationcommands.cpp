#include "automation/automationcommands.h"

#include "automation/automationwords.h"

#include <QRegularExpression>

using namespace automation;

AutomationCommands::AutomationCommands(QWidget &mainWindow, ErrorReporter &errors, QString pictureFolder)
    : m_locator(mainWindow), m_errors(errors), m_pictureFolder(std::move(pictureFolder))
{
}

QString AutomationCommands::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString AutomationCommands::run(const QString &line)
{
    const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    try {
        if (words.isEmpty())
            Fail(QStringLiteral("empty command"));
        return escaped(dispatch(words));
    } catch (const KvtError &e) {
        return QStringLiteral("error ") + escaped(e.text());
    } catch (const std::exception &e) {
        return QStringLiteral("error ") + escaped(QString::fromLocal8Bit(e.what()));
    }
}

QString AutomationCommands::dispatch(const QStringList &words)
{
    const QString command = words.first();
    if (command == QLatin1String("find"))
        return findCommand(words);
    if (command == QLatin1String("text"))
        return textCommand(words);
    if (command == QLatin1String("checked"))
        return checkedCommand(words);
    if (command == QLatin1String("visible"))
        return stateCommand(words, true);
    if (command == QLatin1String("enabled"))
        return stateCommand(words, false);
    if (command == QLatin1String("click"))
        return clickCommand(words);
    if (command == QLatin1String("select"))
        return selectCommand(words);
    if (command == QLatin1String("invoke"))
        return invokeCommand(words);
    if (command == QLatin1String("grab"))
        return grabCommand(words);
    if (command == QLatin1String("close"))
        return closeCommand(words);
    if (command == QLatin1String("windows"))
        return windowsCommand(words);
    if (command == QLatin1String("quit"))
        return quitCommand(words);
    Fail(QStringLiteral("unknown command %1").arg(Quoted(command)));
}
