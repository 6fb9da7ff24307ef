#pragma once

#include "automation/automationcommands.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

class ErrorReporter;
class QLocalServer;
class QLocalSocket;
class QWidget;

// The automation channel: a local socket on which a test sends one command per
// line (UTF-8) and reads one answer line per command (see AutomationCommands).
// It exists only when the program is built with it (the CMake option
// KVT_AUTOMATION) and the environment variable KVT_AUTOMATION names the socket
// path; otherwise the program has no such channel. The socket's folder must
// be private to the user (mode 0700): only the same user may connect, and
// grab writes its pictures only inside that folder.
class AutomationServer : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *kEnvironmentVariable = "KVT_AUTOMATION";
    // A line longer than this is refused and skipped.
    static constexpr int kMaxLineBytes = 64 * 1024;

    AutomationServer(QWidget &mainWindow, ErrorReporter &errors, QObject *parent = nullptr);
    ~AutomationServer() override;

    // Listens at path. Refused: a folder that is not the user's own with mode
    // 0700, something at path that is not a socket, a socket another program
    // still serves. A socket left by an earlier run is replaced.
    bool listen(const QString &path, QString *error);

    // Starts the channel when KVT_AUTOMATION is set: nullptr and an empty
    // error when it is not, nullptr and the reason when it cannot listen.
    static std::unique_ptr<AutomationServer> fromEnvironment(QWidget &mainWindow, ErrorReporter &errors,
                                                             QString *error);

private:
    struct Connection
    {
        QByteArray buffer;
        bool skippingLongLine = false;
        bool scheduled = false;
        bool closed = false;
    };

    void accept();
    void receive(QLocalSocket *socket);
    void schedule(QLocalSocket *socket);
    void answerNext(QLocalSocket *socket);
    void finish(QLocalSocket *socket);

    QWidget &m_mainWindow;
    ErrorReporter &m_errors;
    std::unique_ptr<AutomationCommands> m_commands; // made by listen()
    QLocalServer *m_server;
    QHash<QLocalSocket *, Connection> m_connections;
};
