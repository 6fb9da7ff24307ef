// The TCP link through a real Telnet serial gateway (ser2net) in front of a
// socat pty: what reaches the line must be the frame as written, which holds
// only when BINARY is negotiated right; what the line sends must come back as
// packets.
#include "recordingerrorreporter.h"

#include "tst_e2e_linkpeers.h"

#include "link/devicelink.h"
#include "protocol/boardframe.h"

#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWaitMs = 5000;

struct FarEnd
{
    QSerialPort port;
    QByteArray got;
    bool open(const QString &path)
    {
        port.setPortName(path);
        port.open(QIODevice::ReadWrite);
        return port.isOpen();
    }
    void pump() { got += port.readAll(); }
    void send(const QByteArray &bytes)
    {
        port.write(bytes);
        port.flush();
    }
};

struct Link
{
    RecordingErrorReporter reporter;
    DeviceLink link;
    QStringList packets;

    Link(const QString &folder, quint16 port) : link(folder, nullptr, &reporter)
    {
        link.setDeviceLayer(DeviceLayer::dlWinsock);
        link.setWsAddress(QStringLiteral("127.0.0.1"));
        link.setWsPort(QString::number(port));
        for (int rule = 1; rule <= 4; ++rule)
            link.setPacketHandler(rule, [this, rule](const QByteArray &p) {
                packets << QStringLiteral("%1 %2").arg(rule).arg(QString::fromLatin1(p.toHex()));
            });
    }
};

} // namespace

class TestE2eLinkTcp : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void framesCrossTheGatewayUnchanged();
    void secondClientIsRefusedWithMessage();
    void gatewayGoingAwayClosesLinkQuietly();
    void unresolvableHostIsReported();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<e2e::PtyPair> m_pty;
    std::unique_ptr<e2e::Ser2Net> m_gateway;
};

void TestE2eLinkTcp::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_pty = std::make_unique<e2e::PtyPair>(m_folder->path());
    QVERIFY2(m_pty->waitReady(), "socat did not make the pty pair");
    m_gateway = std::make_unique<e2e::Ser2Net>(m_folder->path(), m_pty->deviceA());
    QVERIFY2(m_gateway->waitReady(), m_gateway->output().constData());
}

void TestE2eLinkTcp::cleanup()
{
    m_gateway.reset(); // each stopped by its PID
    m_pty.reset();
    m_folder.reset();
}

void TestE2eLinkTcp::framesCrossTheGatewayUnchanged()
{
    Link l(m_folder->path(), m_gateway->port());
    FarEnd far;
    QVERIFY(far.open(m_pty->linkB()));

    // FF, a lone CR and a NUL right after a CR: Telnet escaping and the NVT
    // line-end rule must both be undone exactly.
    const QByteArray frame = BoardFrame(QByteArray("\xFF\x0D\x41\x0D\x00\xFF", 6));
    QVERIFY(frame.contains('\x0D'));
    l.link.write(frame); // opens the link; sent once the gateway has greeted
    QVERIFY(l.link.isOpen());
    const QByteArray second = BoardFrame(QByteArray("\x0D", 1));
    QTRY_VERIFY_WITH_TIMEOUT((far.pump(), far.got.size() >= frame.size()), kWaitMs);
    l.link.write(second);
    QTRY_VERIFY_WITH_TIMEOUT((far.pump(), far.got.size() >= frame.size() + second.size()), kWaitMs);
    QTest::qWait(200); // nothing more may follow (no NUL after a CR)
    far.pump();
    QCOMPARE(far.got.toHex(' '), (frame + second).toHex(' '));

    // The line answers; the gateway escapes FF and passes CR NUL.
    const QByteArray reply = QByteArray::fromHex("480BFF0D00FF0D0A01020304050D");
    far.send(reply.left(5));
    QTest::qWait(50);
    far.send(reply.mid(5) + QByteArray(":0103040001000AED\r\n") + QByteArray::fromHex("4803FF0D00"));
    QTRY_COMPARE_WITH_TIMEOUT(l.packets.size(), 3, kWaitMs);
    QCOMPARE(l.packets[0], QStringLiteral("1 ") + QString::fromLatin1(reply.toHex()));
    QCOMPARE(l.packets[1], QStringLiteral("3 ") + QString::fromLatin1(QByteArray(":0103040001000AED\r\n").toHex()));
    QCOMPARE(l.packets[2], QStringLiteral("4 4803ff0d00"));
    QVERIFY2(l.reporter.errors().isEmpty(), qPrintable(l.reporter.errors().join('\n')));
}

void TestE2eLinkTcp::secondClientIsRefusedWithMessage()
{
    Link first(m_folder->path(), m_gateway->port());
    first.link.setOpen(true);
    QTest::qWait(500); // the gateway has taken the line for the first client
    Link second(m_folder->path(), m_gateway->port());
    second.link.setOpen(true);
    QTRY_VERIFY_WITH_TIMEOUT(!second.link.isOpen(), kWaitMs);
    QCOMPARE(second.reporter.errors().size(), 1);
    QVERIFY2(second.reporter.errors()[0].contains(QStringLiteral("Port already in use")),
             qPrintable(second.reporter.errors()[0]));
    QVERIFY(first.link.isOpen());
    QVERIFY(first.reporter.errors().isEmpty());
}

void TestE2eLinkTcp::gatewayGoingAwayClosesLinkQuietly()
{
    Link l(m_folder->path(), m_gateway->port());
    QSignalSpy changes(&l.link, &DeviceLink::openChanged);
    l.link.setOpen(true);
    // Past the first moments of the connection, a hang-up is no refusal.
    QTest::qWait(2500);
    QVERIFY(l.link.isOpen());
    m_gateway->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!l.link.isOpen(), kWaitMs);
    QCOMPARE(changes.size(), 2);
    QVERIFY2(l.reporter.errors().isEmpty(), qPrintable(l.reporter.errors().join('\n')));
    // The next frame opens the link again; with the gateway gone that fails
    // and is reported.
    l.link.write(QByteArray("H"));
    QTRY_VERIFY_WITH_TIMEOUT(!l.link.isOpen(), kWaitMs);
    QCOMPARE(l.reporter.errors().size(), 1);
}

void TestE2eLinkTcp::unresolvableHostIsReported()
{
    Link l(m_folder->path(), m_gateway->port());
    l.link.setWsAddress(QStringLiteral("no-such-gateway.invalid"));
    l.link.write(QByteArray("H")); // queued while the name is looked up
    // The lookup fails, or at the latest the connection attempt times out.
    QTRY_VERIFY_WITH_TIMEOUT(!l.link.isOpen(), 15000);
    QCOMPARE(l.reporter.errors().size(), 1);
    QVERIFY2(l.reporter.errors()[0].contains(QStringLiteral("no-such-gateway.invalid")),
             qPrintable(l.reporter.errors()[0]));
}

QTEST_GUILESS_MAIN(TestE2eLinkTcp)
#include "tst_e2e_link_tcp.moc"
