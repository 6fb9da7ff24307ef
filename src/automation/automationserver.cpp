#include "automation/automationserver.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why the socket cannot go at path; empty when it can.
QString RefusalOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("the folder %1 does not exist").arg(folder);
    if (info.st_uid != ::geteuid() || (info.st_mode & 0777) != 0700)
        return QStringLiteral("the folder %1 must be the user's own with mode 0700 (mktemp -d makes one)").arg(folder);
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISSOCK(info.st_mode))
        return QStringLiteral("%1 exists and is not a socket").arg(path);
    return QString();
}

bool IsServed(const QString &path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool served = probe.waitForConnected(200);
    probe.abort();
    return served;
}

} // namespace

AutomationServer::AutomationServer(QWidget &mainWindow, ErrorReporter &errors, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_errors(errors), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &AutomationServer::accept);
}

AutomationServer::~AutomationServer()
{
    m_server->close();
}

bool AutomationServer::listen(const QString &path, QString *error)
{
    QString refusal = RefusalOf(path);
    if (refusal.isEmpty() && QFileInfo::exists(path)) {
        if (IsServed(path))
            refusal = QStringLiteral("%1 is in use by another program").arg(path);
        else
            QLocalServer::removeServer(path); // left by an earlier run
    }
    if (refusal.isEmpty() && m_server->listen(path)) {
        m_commands = std::make_unique<AutomationCommands>(m_mainWindow, m_errors, QFileInfo(path).absolutePath());
        return true;
    }
    if (error)
        *error = QStringLiteral("cannot listen at %1: %2").arg(path, refusal.isEmpty() ? m_server->errorString() : refusal);
    return false;
}

std::unique_ptr<AutomationServer> AutomationServer::fromEnvironment(QWidget &mainWindow, ErrorReporter &errors,
                                                                    QString *error)
{
    const QString path = qEnvironmentVariable(kEnvironmentVariable);
    if (path.isEmpty())
        return nullptr;
    auto server = std::make_unique<AutomationServer>(mainWindow, errors);
    if (!server->listen(path, error))
        return nullptr;
    return server;
}

void AutomationServer::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        m_connections.insert(socket, Connection{});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { receive(socket); });
        // A client that sends its commands and closes at once still has them
        // run; their answers have nowhere to go.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            receive(socket);
            auto it = m_connections.find(socket);
            if (it == m_connections.end())
                return;
            it->closed = true;
            // Later, not here: this may be signalled from inside a command's
            // answer, which goes on to schedule the next line.
            QTimer::singleShot(0, socket, [this, socket] {
                auto it = m_connections.find(socket);
                if (it != m_connections.end() && !it->scheduled)
                    finish(socket);
            });
        });
        receive(socket);
    }
}

void AutomationServer::receive(QLocalSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    it->buffer += socket->readAll();
    if (it->skippingLongLine) {
        const int end = it->buffer.indexOf('\n');
        if (end < 0) {
            it->buffer.clear();
            return;
        }
        it->buffer.remove(0, end + 1);
        it->skippingLongLine = false;
    }
    if (it->buffer.indexOf('\n') < 0 && it->buffer.size() > kMaxLineBytes) {
        it->buffer.clear();
        it->skippingLongLine = true;
        socket->write("error line too long\n");
        return;
    }
    schedule(socket);
}

void AutomationServer::schedule(QLocalSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end() || it->scheduled || it->buffer.indexOf('\n') < 0)
        return;
    it->scheduled = true;
    // From the event loop, one line at a time: what an earlier command set
    // going (a click, a selection) runs before the next line is read.
    QTimer::singleShot(0, socket, [this, socket] { answerNext(socket); });
}

void AutomationServer::answerNext(QLocalSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    it->scheduled = false;
    const int end = it->buffer.indexOf('\n');
    if (end < 0)
        return;
    QByteArray line = it->buffer.left(end);
    it->buffer.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    // The connection entry is looked up again afterwards: the command may
    // let events run (a grab paints).
    const QString answer = m_commands->run(QString::fromUtf8(line));
    if (socket->state() == QLocalSocket::ConnectedState) {
        socket->write(answer.toUtf8() + '\n');
        socket->flush();
    }
    schedule(socket);
    it = m_connections.find(socket);
    if (it != m_connections.end() && it->closed && !it->scheduled)
        finish(socket);
}

void AutomationServer::finish(QLocalSocket *socket)
{
    m_connections.remove(socket);
    socket->deleteLater();
}
