#pragma once

#include "automation/objectlocator.h"

#include <QString>
#include <QStringList>

class ErrorReporter;
class QWidget;

// The commands of the automation channel: one line in, one answer line out
// ("ok ..." or "error <text>"). A test drives the running program with them.
// Controls are found by name (ObjectLocator). The jobs live in their own
// files: query (find, text, checked, visible, enabled, windows), act (click,
// select, grab, close, quit) and invoke.
//
// Commands that run handlers (click, select, invoke) are checked at once and
// then run from the event loop, so a handler that opens a modal dialog never
// holds up the answer; they run through the error guard like a user's action.
// Commands that follow on the same connection are answered after them.
//
// grab writes pictures only inside pictureFolder (a relative name lands
// there); without one it writes nothing.
class AutomationCommands
{
public:
    AutomationCommands(QWidget &mainWindow, ErrorReporter &errors, QString pictureFolder = QString());

    // Runs one command line (without its line end) and returns the answer.
    // Never throws.
    QString run(const QString &line);

    // An answer's text with backslash, CR and LF escaped so it stays one line.
    static QString escaped(const QString &text);

private:
    QString dispatch(const QStringList &words);

    QString findCommand(const QStringList &words);
    QString textCommand(const QStringList &words);
    QString checkedCommand(const QStringList &words);
    QString stateCommand(const QStringList &words, bool visible);
    QString windowsCommand(const QStringList &words);

    QString clickCommand(const QStringList &words);
    QString selectCommand(const QStringList &words);
    QString grabCommand(const QStringList &words);
    QString closeCommand(const QStringList &words);
    QString quitCommand(const QStringList &words);
    // The file a picture goes to; raises unless it lies inside the folder.
    QString picturePath(const QString &name) const;

    QString invokeCommand(const QStringList &words);

    ObjectLocator m_locator;
    ErrorReporter &m_errors;
    QString m_pictureFolder;
};
