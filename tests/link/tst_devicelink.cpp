#include "inmemorytransport.h"
#include "recordingerrorreporter.h"

#include "link/devicelink.h"
#include "link/portchooser.h"
#include "protocol/kvterror.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

class ScriptedChooser : public PortChooser
{
public:
    Choice answer;
    QList<QList<int>> asked;
    // Runs while the prompt is up (the prompt's own event loop runs timers).
    std::function<void()> whileAsking;
    Choice choosePort(const QList<int> &ports) override
    {
        asked.append(ports);
        if (whileAsking)
            whileAsking();
        return answer;
    }
};

// A link whose every opening builds a fresh in-memory transport, remembering
// the settings it was built with.
struct Fixture
{
    RecordingErrorReporter reporter;
    ScriptedChooser chooser;
    QList<int> ports{1, 3, 5};
    QList<LinkSettings> built;
    InMemoryTransport *current = nullptr;
    QString failOpenWith;
    DeviceLink link{
        [this](const LinkSettings &settings) {
            built.append(settings);
            auto transport = std::make_unique<InMemoryTransport>();
            transport->failOpenWith = failOpenWith;
            current = transport.get();
            return transport;
        },
        [this] { return ports; }, &chooser, &reporter};

    Fixture() { built.clear(); } // forget the transport built at construction
};

} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT
private slots:
    void startsWithDesignValues();
    void writeOpensClosedLink();
    void writeWithoutAutoOpenFails();
    void failedOpenSendsNothing();
    void asksForPortWhenNoneIsSet_data();
    void asksForPortWhenNoneIsSet();
    void tcpNeverAsksForPort();
    void writeWhilePromptIsUpDoesNotPromptAgain();
    void comNumberChangeReopens();
    void deviceLayerChangesOnlyWhileClosed();
    void closingDropsPartialPackets();
    void peerCloseClosesLinkQuietly();
    void connectFailureIsReported();
    void deliversPacketsToHandlers();
};

void TestDeviceLink::startsWithDesignValues()
{
    Fixture f;
    const LinkSettings &s = f.link.settings();
    QVERIFY(!f.link.isOpen());
    QCOMPARE(s.deviceLayer, DeviceLayer::dlWin32);
    QCOMPARE(s.comNumber, 7);
    QCOMPARE(s.wsAddress, QString());
    QCOMPARE(s.wsPort, QStringLiteral("telnet"));
    QVERIFY(s.wsTelnet && s.autoOpen && s.promptForPort);
}

void TestDeviceLink::writeOpensClosedLink()
{
    Fixture f;
    QSignalSpy opened(&f.link, &DeviceLink::openChanged);
    f.link.write(Hex("480100"));
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.built.size(), 1);
    QCOMPARE(f.built[0].comNumber, 7);
    QCOMPARE(f.current->written(), Hex("480100"));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0][0].toBool(), true);
    f.link.write(Hex("01"));
    QCOMPARE(f.built.size(), 1); // already open: no new opening
    QCOMPARE(f.current->written(), Hex("48010001"));
}

void TestDeviceLink::writeWithoutAutoOpenFails()
{
    Fixture f;
    f.link.setAutoOpen(false);
    QVERIFY_THROWS_EXCEPTION(KvtError, f.link.write(Hex("48")));
    QVERIFY(!f.link.isOpen());
    QVERIFY(f.built.isEmpty());
}

void TestDeviceLink::failedOpenSendsNothing()
{
    Fixture f;
    f.failOpenWith = QStringLiteral("COM7 is busy");
    try {
        f.link.write(Hex("4801"));
        QFAIL("the write did not fail");
    } catch (const KvtError &e) {
        QCOMPARE(e.text(), QStringLiteral("COM7 is busy"));
    }
    QVERIFY(!f.link.isOpen());
    QVERIFY(f.current->writes().isEmpty());
}

void TestDeviceLink::asksForPortWhenNoneIsSet_data()
{
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("openedOn"); // 0: the opening fails

    QTest::addRow("OK on COM5") << QList<int>{1, 3, 5} << true << 5 << 5;
    QTest::addRow("Cancel") << QList<int>{1, 3, 5} << false << 3 << 0;
    QTest::addRow("OK with an empty list") << QList<int>{} << true << 0 << 0;
}

void TestDeviceLink::asksForPortWhenNoneIsSet()
{
    QFETCH(QList<int>, ports);
    QFETCH(bool, accepted);
    QFETCH(int, chosen);
    QFETCH(int, openedOn);
    Fixture f;
    f.ports = ports;
    f.chooser.answer = {accepted, chosen};
    f.link.setComNumber(0);
    bool failed = false;
    try {
        f.link.write(Hex("480100"));
    } catch (const KvtError &e) {
        failed = true;
        QCOMPARE(e.text(), QStringLiteral("No serial port was selected"));
    }
    QCOMPARE(f.chooser.asked, QList<QList<int>>{ports});
    QCOMPARE(failed, openedOn == 0);
    QCOMPARE(f.link.isOpen(), openedOn != 0);
    QCOMPARE(f.link.comNumber(), openedOn);
    if (openedOn) {
        QCOMPARE(f.built.last().comNumber, openedOn);
        QCOMPARE(f.current->written(), Hex("480100"));
    } else {
        QVERIFY(f.built.isEmpty()); // nothing opened, nothing sent
    }
}

void TestDeviceLink::writeWhilePromptIsUpDoesNotPromptAgain()
{
    Fixture f;
    f.chooser.answer = {true, 3};
    f.link.setComNumber(0);
    QString nestedError;
    f.chooser.whileAsking = [&] {
        // A timer's frame while the user looks at the prompt.
        try {
            f.link.write(Hex("4801"));
        } catch (const KvtError &e) {
            nestedError = e.text();
        }
    };
    f.link.write(Hex("480100"));
    QCOMPARE(f.chooser.asked.size(), 1);
    QCOMPARE(nestedError, QStringLiteral("The link is being opened"));
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.current->written(), Hex("480100"));
}

void TestDeviceLink::tcpNeverAsksForPort()
{
    Fixture f;
    f.link.setComNumber(0);
    f.link.setDeviceLayer(DeviceLayer::dlWinsock);
    f.link.setWsAddress(QStringLiteral("192.168.1.200"));
    f.link.setWsPort(QStringLiteral("4444"));
    f.link.setOpen(true);
    QVERIFY(f.chooser.asked.isEmpty());
    QCOMPARE(f.built.last().deviceLayer, DeviceLayer::dlWinsock);
    QCOMPARE(f.built.last().wsAddress, QStringLiteral("192.168.1.200"));
    QCOMPARE(f.built.last().wsPort, QStringLiteral("4444"));
}

void TestDeviceLink::comNumberChangeReopens()
{
    Fixture f;
    f.link.setComNumber(3);
    f.link.setOpen(true);
    QSignalSpy changes(&f.link, &DeviceLink::openChanged);
    f.link.setComNumber(5);
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.built.size(), 2);
    QCOMPARE(f.built[0].comNumber, 3);
    QCOMPARE(f.built[1].comNumber, 5);
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes[0][0].toBool(), false);
    QCOMPARE(changes[1][0].toBool(), true);

    f.link.setOpen(false);
    f.link.setComNumber(6); // closed: only remembered
    QVERIFY(!f.link.isOpen());
    QCOMPARE(f.built.size(), 2);
}

void TestDeviceLink::deviceLayerChangesOnlyWhileClosed()
{
    Fixture f;
    f.link.setOpen(true);
    QVERIFY_THROWS_EXCEPTION(KvtError, f.link.setDeviceLayer(DeviceLayer::dlWinsock));
    QCOMPARE(f.link.deviceLayer(), DeviceLayer::dlWin32);
    f.link.setOpen(false);
    f.link.setDeviceLayer(DeviceLayer::dlWinsock);
    QCOMPARE(f.link.deviceLayer(), DeviceLayer::dlWinsock);
}

void TestDeviceLink::closingDropsPartialPackets()
{
    Fixture f;
    QStringList delivered;
    f.link.setPacketHandler(1, [&](const QByteArray &p) { delivered << QString::fromLatin1(p.toHex()); });
    f.link.setOpen(true);
    const QByteArray board = Hex("480B") + QByteArray(12, '\x44');
    f.current->inject(board.left(6));
    f.link.setOpen(false);
    f.link.setOpen(true);
    f.current->inject(board.mid(6)); // the tail alone is no packet
    QVERIFY(delivered.isEmpty());
    f.current->inject(board);
    QCOMPARE(delivered, QStringList{QString::fromLatin1(board.toHex())});
}

void TestDeviceLink::peerCloseClosesLinkQuietly()
{
    Fixture f;
    f.link.setOpen(true);
    f.current->inject(Hex("480B0102"));
    QSignalSpy changes(&f.link, &DeviceLink::openChanged);
    f.current->dropConnection();
    QVERIFY(!f.link.isOpen());
    QCOMPARE(changes.size(), 1);
    QVERIFY(f.reporter.errors().isEmpty());
    QCOMPARE(f.link.packets().collectingRule(), 0);
    f.link.write(Hex("4801")); // the next write opens it again
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.built.size(), 2);
}

void TestDeviceLink::connectFailureIsReported()
{
    Fixture f;
    f.link.setOpen(true);
    emit f.current->failed(QStringLiteral("Cannot connect to 10.0.0.1:4444: refused"));
    QCOMPARE(f.reporter.errors(), QStringList{QStringLiteral("Cannot connect to 10.0.0.1:4444: refused")});
}

void TestDeviceLink::deliversPacketsToHandlers()
{
    // The fixed-transport link, as the rest of the program's tests use it.
    auto owned = std::make_unique<InMemoryTransport>();
    InMemoryTransport *transport = owned.get();
    DeviceLink link(std::move(owned));
    RecordingErrorReporter reporter;
    link.setErrorReporter(&reporter);
    QStringList delivered;
    for (int rule = 1; rule <= 4; ++rule)
        link.setPacketHandler(rule, [&, rule](const QByteArray &p) {
            if (rule == 4)
                throw KvtError(QStringLiteral("no panel for this reply"));
            delivered << QStringLiteral("%1 %2").arg(rule).arg(QString::fromLatin1(p.toHex()));
        });
    QSignalSpy raw(&link, &DeviceLink::received);
    link.setOpen(true);
    transport->inject(Hex("4803010203"));
    transport->inject(QByteArray(":0103040001000AED\r"));
    transport->inject(QByteArray("\n"));
    QCOMPARE(delivered, QStringList{QStringLiteral("3 ") + QString::fromLatin1(QByteArray(":0103040001000AED\r\n").toHex())});
    QCOMPARE(reporter.errors(), QStringList{QStringLiteral("no panel for this reply")});
    QCOMPARE(raw.size(), 3);
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
