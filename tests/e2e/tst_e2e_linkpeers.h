#pragma once

// Real peers for the link's end-to-end tests: a socat pty pair (a serial line
// with two ends) and ser2net (a Telnet serial gateway). Every process is
// started here, bound to loopback, and stopped by its PID when the object goes,
// also when a check failed.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>
#include <sys/types.h>

namespace e2e {

constexpr int kStartMs = 5000;

inline bool WaitUntil(const std::function<bool()> &ready, int ms = kStartMs)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (ready())
            return true;
        QTest::qWait(20);
    }
    return ready();
}

// Stops a process by its PID: SIGTERM, then SIGKILL when it lingers.
inline void Stop(QProcess &process)
{
    const qint64 pid = process.processId();
    if (pid <= 0 || process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(pid), SIGTERM);
    if (!process.waitForFinished(3000)) {
        ::kill(pid_t(pid), SIGKILL);
        process.waitForFinished(3000);
    }
}

// A free TCP port on 127.0.0.1 (free when asked; the peer binds it next).
inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class PtyPair
{
public:
    // Links a and b in folder point at the two ends.
    explicit PtyPair(const QString &folder)
        : m_a(QDir(folder).filePath(QStringLiteral("ptyA"))),
          m_b(QDir(folder).filePath(QStringLiteral("ptyB")))
    {
        m_socat.setProgram(QStringLiteral("socat"));
        m_socat.setArguments({QStringLiteral("pty,raw,echo=0,link=%1").arg(m_a),
                              QStringLiteral("pty,raw,echo=0,link=%1").arg(m_b)});
        m_socat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_socat.start();
    }
    ~PtyPair() { stop(); }

    bool waitReady()
    {
        return m_socat.waitForStarted(kStartMs)
            && WaitUntil([this] { return QFileInfo::exists(m_a) && QFileInfo::exists(m_b); });
    }
    void stop() { Stop(m_socat); }
    QString linkA() const { return m_a; }
    QString linkB() const { return m_b; }
    QString deviceA() const { return QFileInfo(m_a).canonicalFilePath(); }
    QString deviceB() const { return QFileInfo(m_b).canonicalFilePath(); }

private:
    QString m_a;
    QString m_b;
    QProcess m_socat;
};

// Whether process pid holds the socket listening on 127.0.0.1:port: the
// kernel's socket table names the listening socket's inode, and the
// process's descriptors show whether it is one of them. (Another test's
// peer may listen on a port this one was offered.)
inline bool ListensOn(qint64 pid, quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (pid <= 0 || !table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    QByteArray inode;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 9 && fields[1].endsWith(local) && fields[3] == "0A")
            inode = fields[9];
    }
    if (inode.isEmpty())
        return false;
    const QString socket = QStringLiteral("socket:[%1]").arg(QString::fromLatin1(inode));
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo &fd : descriptors.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
        if (QFile::symLinkTarget(fd.filePath()).endsWith(socket))
            return true;
    return false;
}

class Ser2Net
{
public:
    // A Telnet accepter on 127.0.0.1 in front of device.
    Ser2Net(const QString &folder, QString device)
        : m_device(std::move(device)), m_config(QDir(folder).filePath(QStringLiteral("ser2net.yaml")))
    {
        start();
    }
    ~Ser2Net() { stop(); }

    // Listening on its own socket. A port taken meanwhile by another process
    // (ser2net then gives up or waits) is replaced by a fresh one.
    bool waitReady()
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (m_process.waitForStarted(kStartMs)
                && WaitUntil([this] {
                       return m_process.state() == QProcess::NotRunning || ListensOn(m_process.processId(), m_port);
                   })
                && m_process.state() == QProcess::Running)
                return true;
            m_output += m_process.readAll();
            stop();
            start();
        }
        return false;
    }
    void stop() { Stop(m_process); }
    quint16 port() const { return m_port; }
    QByteArray output() { return m_output + m_process.readAll(); }

private:
    void start()
    {
        m_port = FreePort();
        QFile config(m_config);
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("%YAML 1.1\n---\n"
                                    "connection: &kvt\n"
                                    "  accepter: telnet,tcp,127.0.0.1,%1\n"
                                    "  connector: serialdev,%2,9600n81,local\n")
                         .arg(m_port)
                         .arg(m_device)
                         .toUtf8());
        config.close();
        m_process.setProgram(QStringLiteral("ser2net"));
        m_process.setArguments({QStringLiteral("-n"), QStringLiteral("-c"), m_config, QStringLiteral("-d")});
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
    }

    QString m_device;
    QString m_config;
    quint16 m_port = 0;
    QProcess m_process;
    QByteArray m_output;
};

} // namespace e2e
