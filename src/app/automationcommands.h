#pragma once

#include <QString>
#include <QStringList>

class ErrorReporter;
class QObject;
class QWidget;

// The commands of the automation channel: one line in, one answer line out
// ("ok ..." or "error <text>"). A test drives the running program with them.
//
// Objects are named by objectName, searched under the main window first (its
// menu bar, panels and dialogs), then under the other top-level windows; the
// shallowest match wins. A name that several objects share at that depth is
// refused; "fmLightBoard5/cb1" names cb1 inside fmLightBoard5. A shown window
// without a name (a message box) goes by its class name, e.g. "QMessageBox".
//
// Commands that run handlers (click, select, invoke) are checked at once and
// then run from the event loop, so a handler that opens a modal dialog never
// holds up the answer; they run through the error guard like a user's action.
// Commands that follow on the same connection are answered after them.
class AutomationCommands
{
public:
    AutomationCommands(QWidget &mainWindow, ErrorReporter &errors);

    // Runs one command line (without its line end) and returns the answer.
    // Never throws.
    QString run(const QString &line);

    // An answer's text with backslash, CR and LF escaped so it stays one line.
    static QString escaped(const QString &text);

private:
    QString dispatch(const QStringList &words);
    QObject &find(const QString &path) const;
    QWidget &findWidget(const QString &path) const;
    // The nearest container of an object that a name alone finds.
    QString uniqueContainer(const QObject &object) const;

    QString findCommand(const QStringList &words);
    QString textCommand(const QStringList &words);
    QString checkedCommand(const QStringList &words);
    QString stateCommand(const QStringList &words, bool visible);
    QString clickCommand(const QStringList &words);
    QString selectCommand(const QStringList &words);
    QString invokeCommand(const QStringList &words);
    QString grabCommand(const QStringList &words);
    QString closeCommand(const QStringList &words);
    QString windowsCommand(const QStringList &words);
    QString quitCommand(const QStringList &words);

    QWidget &m_mainWindow;
    ErrorReporter &m_errors;
};
