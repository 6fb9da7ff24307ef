#pragma once

#include "inmemorytransport.h"
#include "recordingerrorreporter.h"
#include "virtualpacer.h"

#include "app/mainwindow.h"
#include "link/portchooser.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class QComboBox;
class TfmLightBoard;

// Answers the "Select Port" prompt like a user who picks the given port.
class ScriptedPortChooser : public PortChooser
{
public:
    Choice choosePort(const QList<int> &) override
    {
        ++asked;
        return answer;
    }
    Choice answer{true, 1};
    int asked = 0;
};

// A whole main window on an in-memory transport, a virtual pacer and an error
// recorder, in a program folder of its own (a temporary directory).
class MainWindowFixture
{
public:
    // settingsFile: bytes of a kvt.ini to place in the program folder first
    // (none when null).
    explicit MainWindowFixture(const QByteArray &settingsFile = QByteArray());
    ~MainWindowFixture();

    TForm1 &form() { return *window; }
    QString programFolder() const { return dir.path(); }
    QString settingsPath() const;

    // The named control, searched through the whole window (nullptr if absent).
    template <typename T>
    T *find(const QString &name) const
    {
        return window->findChild<T *>(name);
    }

    QComboBox *keyList() const;
    TfmLightBoard *lightBoard(int n) const;
    // Chooses a key index in the key list the way a user does: opens the list
    // and clicks the entry, so the widget emits its own selection event.
    void userSelectKey(int keyIndex);
    void setBoardPresent(int slot, bool present);
    // Everything written to the bus since the last clearTraffic().
    const QList<QByteArray> &writes() const { return transport->writes(); }
    void clearTraffic();

    QTemporaryDir dir;
    VirtualPacer pacer;
    RecordingErrorReporter errors;
    // Asked when the first frame opens the link without a stored port.
    ScriptedPortChooser portChooser;
    InMemoryTransport *transport = nullptr; // owned by the window's link
    // Dialogs the window showed modally, by objectName, in order.
    QStringList modalDialogs;
    std::unique_ptr<TForm1> window;
};
