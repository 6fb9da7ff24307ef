#pragma once

// The virtual room as a process and the main window on a real link to it,
// shared by the end-to-end tests that run the whole tool against the room.
#include "recordingerrorreporter.h"

#include "tst_e2e_linkpeers.h"

#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "panels/lightboard.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace e2e {

constexpr int kRoomKeys = 62;

// Distinct data for every board and key, in the form a light board panel
// shows unchanged (all rows on, one pattern byte per column), so that data
// of a wrong key or a wrong board shows. variant gives a second set.
inline QString LightKeyData(int busId, int keyIndex, int variant = 0)
{
    QByteArray bytes;
    for (int b : {0xFF, busId ^ variant, 0xFF, keyIndex, 0xFF, keyIndex ^ 0xA5 ^ variant, 0xFF, 0x3C + busId})
        bytes.append(char(b));
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// Bus id as the room's state file names its boards: "01", "F3".
inline QString BoardName(int busId)
{
    return QStringLiteral("%1").arg(busId, 2, 16, QLatin1Char('0')).toUpper();
}

// One board of a room state file: its kind and its 62 keys.
inline QJsonObject BoardState(const QString &kind, const std::function<QString(int)> &keyData)
{
    QJsonArray keys;
    for (int k = 0; k < kRoomKeys; ++k)
        keys.append(keyData(k));
    return QJsonObject {{"kind", kind}, {"keys", keys}, {"outputs", 0}};
}

inline bool WriteRoomState(const QString &path, const QJsonObject &boards)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.write(QJsonDocument(QJsonObject {{"version", 1}, {"boards", boards}}).toJson()) > 0;
}

// The boards of a room state file, as the room saved them on its way out.
inline QJsonObject ReadRoomBoards(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value("boards").toObject();
}

// Key indexes 16 and 17 share one memory cell on the boards; the room keeps
// it under the first.
inline int RoomMemoryKey(int keyIndex)
{
    return keyIndex == 17 ? 16 : keyIndex;
}

// kvt-roomsim started with the given arguments; stopped by its PID at the end.
class Room
{
public:
    explicit Room(const QStringList &args)
    {
        m_process.setProgram(QStringLiteral(KVT_BINARY_DIR "/kvt-roomsim"));
        m_process.setArguments(args);
        m_process.start();
    }
    ~Room() { stop(); }
    void stop()
    {
        e2e::Stop(m_process);
        m_out += m_process.readAllStandardOutput();
    }
    quint16 waitPort()
    {
        quint16 port = 0;
        e2e::WaitUntil([&] {
            m_out += m_process.readAllStandardOutput();
            const auto match = QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"))
                                   .match(QString::fromUtf8(m_out));
            port = quint16(match.captured(1).toUInt());
            return port != 0;
        });
        return port;
    }
    bool waitServing()
    {
        return e2e::WaitUntil([&] {
            m_out += m_process.readAllStandardOutput();
            return m_out.contains("serving on");
        });
    }
    // Everything the room printed so far: one line per frame served.
    QByteArray output()
    {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

private:
    QProcess m_process;
    QByteArray m_out;
};

// The main window with the real pacer and the program's own link, set up by
// the connection setup section of its kvt.ini.
struct ToolWindow
{
    QTemporaryDir folder;
    RealPacer pacer;
    RecordingErrorReporter errors;
    std::unique_ptr<TForm1> form;

    // A Telnet gateway on 127.0.0.1:port.
    explicit ToolWindow(quint16 port)
        : ToolWindow(QStringLiteral("rgRS232_Checked=0\r\nrbEthernet_Checked=1\r\n"
                                    "JvIPAddress1_Text=127.0.0.1\r\njvedPort_Text=%1\r\n")
                         .arg(port))
    {
    }
    // COM3, which ports/COM3 in the program folder maps to device.
    explicit ToolWindow(const QString &device, int)
        : ToolWindow(QStringLiteral("rgRS232_Checked=1\r\nrbEthernet_Checked=0\r\nrgCommPort_ItemIndex=2\r\n"),
                     device)
    {
    }
    explicit ToolWindow(const QString &commSetup, const QString &com3 = QString())
    {
        QFile settings(folder.filePath(QStringLiteral("kvt.ini")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write((QStringLiteral("[frmCommSetup]\r\n") + commSetup).toLatin1());
        settings.close();
        if (!com3.isEmpty()) {
            QDir(folder.path()).mkdir(QStringLiteral("ports"));
            QFile::link(com3, folder.filePath(QStringLiteral("ports/COM3")));
        }
        AppEnvironment environment{folder.path(), pacer, errors,
                                   [this] { return std::make_unique<DeviceLink>(folder.path(), nullptr, &errors); },
                                   [](QDialog &) {}};
        form = std::make_unique<TForm1>(environment);
        form->show();
    }
    TfmLightBoard *lightBoard(int slot) const
    {
        return form->findChild<TfmLightBoard *>(QStringLiteral("fmLightBoard%1").arg(slot));
    }
    // The slot's board checkbox.
    QCheckBox *present(int slot) const
    {
        return lightBoard(slot)->findChild<QCheckBox *>(QStringLiteral("CheckBox1"));
    }
    void selectKey(int keyIndex)
    {
        form->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setCurrentIndex(keyIndex);
        form->ComboBox1Enter();
    }
    bool menuEnabled(const char *name) const
    {
        auto *item = form->findChild<QAction *>(QString::fromLatin1(name));
        return item && item->isEnabled();
    }
    // The handler as the menu runs it: an error ends it and is reported.
    void run(void (TForm1::*handler)())
    {
        TForm1 *window = form.get();
        form->guarded([window, handler] { (window->*handler)(); });
    }
};

} // namespace e2e
