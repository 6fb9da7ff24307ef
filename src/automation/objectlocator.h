#pragma once

#include <QString>

class QObject;
class QWidget;

// Finds the controls an automation command names. Objects are named by
// objectName, searched under the main window first (its menu bar, panels and
// dialogs), then under the other top-level windows; the shallowest match
// wins. A name that several objects share at that depth is refused;
// "fmLightBoard5/cb1" names cb1 inside fmLightBoard5. A shown window without
// a name (a message box) goes by its class name, e.g. "QMessageBox".
class ObjectLocator
{
public:
    explicit ObjectLocator(QWidget &mainWindow) : m_mainWindow(mainWindow) {}

    QWidget &mainWindow() const { return m_mainWindow; }
    // Raises KvtError when the path names nothing or several objects.
    QObject &find(const QString &path) const;
    QWidget &findWidget(const QString &path) const;

private:
    // The nearest container of an object that a name alone finds.
    QString uniqueContainer(const QObject &object) const;

    QWidget &m_mainWindow;
};
