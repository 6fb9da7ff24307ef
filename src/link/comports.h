#pragma once

#include <QList>
#include <QString>

// How COMn maps to a device on this system: the file ports/COMn in the program
// folder names the device (a symbolic link to it, or a text file holding its
// path); without it COMn is /dev/ttyS<n-1>. So a USB adapter becomes COM3 with
//   ln -s /dev/ttyUSB0 <program folder>/ports/COM3
class ComPorts
{
public:
    static constexpr int kLowest = 1;
    static constexpr int kHighest = 50;

    explicit ComPorts(const QString &programFolder) : m_programFolder(programFolder) {}

    // The device path of COMn (symbolic links resolved, so every way to name a
    // device leads to the same lock file). Empty when ports/COMn is a text file
    // without a path.
    QString devicePath(int comNumber) const;
    // The n in 1..50 whose device exists.
    QList<int> existing() const;

    static QString portLabel(int comNumber);

private:
    QString m_programFolder;
};
