#include "recordingerrorreporter.h"

#include "link/devicelink.h"
#include "link/tcptransport.h"
#include "protocol/kvterror.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// What a serial gateway's Telnet accepter sends at connect, and the answers a
// client must give (byte values from RFC 854/856/857/858).
const QByteArray kGatewayGreeting = Hex("FFFB03 FFFD03 FFFB01 FFFE01 FFFD00 FFFB00");
const QByteArray kClientAnswer = Hex("FFFD03 FFFC03 FFFD01 FFFB00 FFFD00");

constexpr int kWaitMs = 5000;

// A loopback gateway: the test drives its side byte for byte.
struct Gateway
{
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    QByteArray got;

    Gateway() { server.listen(QHostAddress::LocalHost, 0); }
    QString port() const { return QString::number(server.serverPort()); }
    bool accept()
    {
        if (!server.waitForNewConnection(kWaitMs))
            return false;
        peer = server.nextPendingConnection();
        got.clear();
        return peer != nullptr;
    }
    void pump()
    {
        if (peer)
            got += peer->readAll();
    }
};

struct Link
{
    RecordingErrorReporter reporter;
    TcpTransport *tcp;
    std::unique_ptr<DeviceLink> link;
    QStringList packets;

    Link(const QString &port, bool telnet = true)
    {
        auto owned = std::make_unique<TcpTransport>(QStringLiteral("127.0.0.1"), port, telnet);
        tcp = owned.get();
        link = std::make_unique<DeviceLink>(std::move(owned));
        link->setErrorReporter(&reporter);
        for (int rule = 1; rule <= 4; ++rule)
            link->setPacketHandler(rule, [this, rule](const QByteArray &p) {
                packets << QStringLiteral("%1 %2").arg(rule).arg(QString::fromLatin1(p.toHex()));
            });
    }
};

} // namespace

class TestTcpTransport : public QObject
{
    Q_OBJECT
private slots:
    void resolvesPortText_data();
    void resolvesPortText();
    void refusesBadSettingsAtOpen_data();
    void refusesBadSettingsAtOpen();
    void answersGatewayAndSendsBinary();
    void silentPeerGetsNvtEncoding();
    void frameWaitsUntilTheGatewayHasSettled();
    void frameGoesOutWhileAPeerNeverStopsNegotiating();
    void plainTcpSendsBytesAsGiven();
    void decodesReceivedPackets();
    void peerCloseClosesQuietlyAndWriteReconnects();
    void refusedConnectionIsReported();
    void gatewayHangingUpAtOnceIsReported();
};

void TestTcpTransport::resolvesPortText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    QTest::addRow("number") << "4444" << 4444;
    QTest::addRow("service telnet") << "telnet" << 23;
    QTest::addRow("zero") << "0" << 0;
    QTest::addRow("too large") << "65536" << 0;
    QTest::addRow("negative") << "-23" << 0;
    QTest::addRow("unknown service") << "no-such-service" << 0;
    QTest::addRow("empty") << "" << 0;
}

void TestTcpTransport::resolvesPortText()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    QCOMPARE(int(TcpTransport::ResolvePort(text)), port);
}

void TestTcpTransport::refusesBadSettingsAtOpen_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addRow("empty address") << "" << "4444";
    QTest::addRow("blank address") << "   " << "4444";
    QTest::addRow("port neither number nor service") << "127.0.0.1" << "no-such-service";
}

void TestTcpTransport::refusesBadSettingsAtOpen()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    TcpTransport tcp(address, port, true);
    QVERIFY_THROWS_EXCEPTION(KvtError, tcp.open());
    QVERIFY(!tcp.isOpen());
}

void TestTcpTransport::answersGatewayAndSendsBinary()
{
    Gateway gw;
    Link l(gw.port());
    // A board frame holding FF and a lone CR, written before the connection
    // is up: it waits for the greeting and goes out in BINARY.
    const QByteArray frame = Hex("4804FF0D0A0DF6");
    l.link->write(frame);
    QVERIFY(l.link->isOpen());
    QVERIFY(gw.accept());
    gw.peer->write(kGatewayGreeting);
    const QByteArray expected = kClientAnswer + Hex("4804FFFF0D0A0DF6");
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= expected.size()), kWaitMs);
    QCOMPARE(gw.got.toHex(' '), expected.toHex(' '));
    QVERIFY(l.tcp->telnet().sendsBinary());
    // Later writes go out at once, unchanged but for FF.
    l.link->write(Hex("0D41FF"));
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= expected.size() + 4), kWaitMs);
    QCOMPARE(gw.got.mid(expected.size()).toHex(' '), Hex("0D41FFFF").toHex(' '));
    QVERIFY(l.reporter.errors().isEmpty());
}

void TestTcpTransport::silentPeerGetsNvtEncoding()
{
    Gateway gw;
    Link l(gw.port());
    l.link->write(Hex("4802FF00"));
    l.link->write(Hex("0D41"));
    QVERIFY(gw.accept());
    const QByteArray expected = Hex("4802FFFF00 0D0041");
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= expected.size()), kWaitMs);
    QCOMPARE(gw.got.toHex(' '), expected.toHex(' '));
}

void TestTcpTransport::frameWaitsUntilTheGatewayHasSettled()
{
    Gateway gw;
    Link l(gw.port());
    l.tcp->setSettleQuietMs(kWaitMs); // no frame between the two parts below
    l.link->write(Hex("480D0A0D"));
    QVERIFY(gw.accept());
    // The greeting in two parts: SUPPRESS-GO-AHEAD first, BINARY only once
    // the client has answered that.
    gw.peer->write(Hex("FFFB03"));
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= 3), kWaitMs);
    QCOMPARE(gw.got.toHex(' '), Hex("FFFD03").toHex(' '));
    gw.peer->write(Hex("FFFB00FFFD00"));
    const QByteArray expected = Hex("FFFD03 FFFD00FFFB00 480D0A0D");
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= expected.size()), 3 * kWaitMs);
    // The frame goes out in BINARY, after every answer.
    QCOMPARE(gw.got.toHex(' '), expected.toHex(' '));
}

void TestTcpTransport::frameGoesOutWhileAPeerNeverStopsNegotiating()
{
    Gateway gw;
    Link l(gw.port());
    // Never quiet long enough: only the limit lets the frame go.
    l.tcp->setSettleQuietMs(kWaitMs);
    l.link->write(Hex("4801"));
    QVERIFY(gw.accept());
    QElapsedTimer sinceAccepted;
    sinceAccepted.start();
    QByteArray frame;
    // An option the client refuses, offered again and again.
    while (sinceAccepted.elapsed() < kWaitMs && frame.isEmpty()) {
        gw.peer->write(Hex("FFFB55"));
        QTest::qWait(20);
        gw.pump();
        frame = gw.got;
        frame.replace(Hex("FFFE55"), QByteArray());
    }
    QCOMPARE(frame.toHex(' '), Hex("4801").toHex(' '));
}

void TestTcpTransport::plainTcpSendsBytesAsGiven()
{
    Gateway gw;
    Link l(gw.port(), false);
    l.link->write(Hex("4802FF000D41"));
    QVERIFY(gw.accept());
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= 6), kWaitMs);
    QCOMPARE(gw.got.toHex(' '), Hex("4802FF000D41").toHex(' '));
}

void TestTcpTransport::decodesReceivedPackets()
{
    Gateway gw;
    Link l(gw.port());
    l.link->setOpen(true);
    QVERIFY(gw.accept());
    // Without BINARY from the gateway: CR NUL is CR, FF FF is FF, commands go.
    gw.peer->write(Hex("480BFFFF0D00FFF10102030405060708090A"));
    gw.peer->flush();
    QTRY_COMPARE_WITH_TIMEOUT(l.packets.size(), 1, kWaitMs);
    QCOMPARE(l.packets[0], QStringLiteral("1 480bff0d0102030405060708090a"));
    // After WILL BINARY, CR NUL stays as it is.
    gw.peer->write(Hex("FFFB00"));
    gw.peer->write(Hex("48020D0007"));
    gw.peer->write(QByteArray(":0103040001000AED\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(l.packets.size(), 3, kWaitMs);
    QCOMPARE(l.packets[1], QStringLiteral("2 48020d0007"));
    QCOMPARE(l.packets[2], QStringLiteral("3 ") + QString::fromLatin1(QByteArray(":0103040001000AED\r\n").toHex()));
}

void TestTcpTransport::peerCloseClosesQuietlyAndWriteReconnects()
{
    Gateway gw;
    Link l(gw.port());
    l.tcp->setEarlyCloseWindowMs(0); // this peer hangs up at once: not a refusal here
    QSignalSpy changes(l.link.get(), &DeviceLink::openChanged);
    l.link->setOpen(true);
    QVERIFY(gw.accept());
    gw.peer->write(Hex("480B0102")); // a partial packet, then the peer goes
    gw.peer->flush();
    QTRY_COMPARE_WITH_TIMEOUT(l.link->packets().collectingRule(), 1, kWaitMs);
    gw.peer->close();
    QTRY_VERIFY_WITH_TIMEOUT(!l.link->isOpen(), kWaitMs);
    QCOMPARE(changes.size(), 2);
    QVERIFY(l.reporter.errors().isEmpty());
    QCOMPARE(l.link->packets().collectingRule(), 0);

    l.link->write(Hex("4801"));
    QVERIFY(gw.accept());
    QTRY_VERIFY_WITH_TIMEOUT((gw.pump(), gw.got.size() >= 2), kWaitMs);
    QCOMPARE(gw.got.toHex(' '), Hex("4801").toHex(' '));
}

void TestTcpTransport::refusedConnectionIsReported()
{
    quint16 closedPort;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    Link l(QString::number(closedPort));
    l.link->write(Hex("4801")); // queued while connecting
    QVERIFY(l.link->isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(!l.link->isOpen(), kWaitMs);
    QCOMPARE(l.reporter.errors().size(), 1);
    QVERIFY2(l.reporter.errors()[0].contains(QStringLiteral("127.0.0.1:%1").arg(closedPort)),
             qPrintable(l.reporter.errors()[0]));
}

void TestTcpTransport::gatewayHangingUpAtOnceIsReported()
{
    Gateway gw;
    Link l(gw.port());
    l.link->write(Hex("4801"));
    QVERIFY(gw.accept());
    // What a gateway tells a second client of a serial port that is taken.
    gw.peer->write(kGatewayGreeting + QByteArray("Port already in use\r\n"));
    gw.peer->flush();
    gw.peer->close();
    QTRY_VERIFY_WITH_TIMEOUT(!l.link->isOpen(), kWaitMs);
    QCOMPARE(l.reporter.errors().size(), 1);
    QVERIFY2(l.reporter.errors()[0].contains(QStringLiteral("Port already in use")),
             qPrintable(l.reporter.errors()[0]));
}

QTEST_GUILESS_MAIN(TestTcpTransport)
#include "tst_tcptransport.moc"
