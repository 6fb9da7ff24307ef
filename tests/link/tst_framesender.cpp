// The two senders over a device link on an in-memory transport: bytes on the
// wire, the log line, and the exact order of writes, pauses and event
// processing, recorded on one trace.
#include "inmemorytransport.h"
#include "virtualpacer.h"

#include "link/devicelink.h"
#include "link/framesender.h"
#include "link/trafficlog.h"
#include "protocol/kvterror.h"

#include <QtTest>
#include <memory>

namespace {

QByteArray Hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced));
}

enum class Sender { Board, Modbus };

// A link, a log and a virtual pacer, all reporting into one ordered trace.
struct Bus
{
    Bus()
    {
        auto owned = std::make_unique<InMemoryTransport>();
        transport = owned.get();
        link = std::make_unique<DeviceLink>(std::move(owned));
        transport->onWrite = [this](const QByteArray &) { trace << QStringLiteral("write"); };
        pacer.onProcessEvents = [this](int) { trace << QStringLiteral("process"); };
        // The pacer records the step before it calls back.
        pacer.onPause = [this](int) { trace << QStringLiteral("pause %1").arg(pacer.steps().back().ms); };
        QObject::connect(&log, &TrafficLog::lineAppended, &log,
                         [this](int) { trace << QStringLiteral("log"); });
        QObject::connect(link.get(), &DeviceLink::received, link.get(),
                         [this](const QByteArray &bytes) {
                             trace << QStringLiteral("received ") + QString::fromLatin1(bytes);
                         });
    }

    void send(Sender sender, const QByteArray &payload)
    {
        BusContext context{*link, log, pacer};
        if (sender == Sender::Board)
            SendBoardFrame(context, payload);
        else
            SendModbusFrame(context, payload);
    }

    InMemoryTransport *transport = nullptr;
    std::unique_ptr<DeviceLink> link;
    TrafficLog log;
    VirtualPacer pacer;
    QStringList trace;
};

} // namespace

Q_DECLARE_METATYPE(Sender)

class TestFrameSender : public QObject
{
    Q_OBJECT

private slots:
    void sendWritesLogsAndPaces_data();
    void sendWritesLogsAndPaces();
    void closedLinkIsOpenedByTheWrite_data();
    void closedLinkIsOpenedByTheWrite();
    void failedWriteLogsAndPausesNothing_data();
    void failedWriteLogsAndPausesNothing();
    void failedOpenSendsNothing_data();
    void failedOpenSendsNothing();
    void modbusReplyPendingBeforeTheSendIsHandledBeforeTheWrite();
    void modbusReplyArrivingDuringThePauseIsHandledAtTheLastStep();
    void boardFrameSendRunsNoPendingReply();
    void framesInARowArePacedOneByOne();
};

void TestFrameSender::sendWritesLogsAndPaces_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QStringList>("trace");

    const QStringList boardTrace = {"write", "log", "pause 100"};
    const QStringList modbusTrace = {"process", "write", "process", "log", "pause 200", "process"};

    QTest::addRow("board frame 01 06 10")
        << Sender::Board << Hex("01 06 10") << Hex("48 03 01 06 10 14")
        << QStringLiteral("48 03 01 06 10 14 (4)") << boardTrace;
    QTest::addRow("board frame, empty payload")
        << Sender::Board << QByteArray() << Hex("48 00 00") << QStringLiteral("48 00 00 (4)")
        << boardTrace;
    QTest::addRow("board frame with zero bytes")
        << Sender::Board << Hex("05 03 0F AA") << Hex("48 04 05 03 0F AA A7")
        << QStringLiteral("48 04 05 03 0F AA A7 (4)") << boardTrace;
    QTest::addRow("Modbus read of key 3, slot 1")
        << Sender::Modbus << Hex("01 03 00 09 00 04") << QByteArray(":010300090004EF\r\n")
        << QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)") << modbusTrace;
    QTest::addRow("Modbus read of 4 registers from 1")
        << Sender::Modbus << Hex("01 03 00 01 00 04") << QByteArray(":010300010004F7\r\n")
        << QStringLiteral(":01 03 00 01 00 04 F7 \r\n(4)") << modbusTrace;
    QTest::addRow("Modbus, empty payload")
        << Sender::Modbus << QByteArray() << QByteArray(":00\r\n")
        << QStringLiteral(":00 \r\n(4)") << modbusTrace;
}

void TestFrameSender::sendWritesLogsAndPaces()
{
    QFETCH(Sender, sender);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, wire);
    QFETCH(QString, logLine);
    QFETCH(QStringList, trace);

    Bus bus;
    bus.link->setOpen(true);
    bus.send(sender, payload);

    QCOMPARE(bus.transport->writes(), QList<QByteArray>{wire});
    QCOMPARE(bus.log.lines(), QStringList{logLine});
    QCOMPARE(bus.trace, trace);
    QCOMPARE(bus.pacer.elapsedMs(), sender == Sender::Board ? 100 : 200);
}

void TestFrameSender::closedLinkIsOpenedByTheWrite_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addRow("board frame") << Sender::Board;
    QTest::addRow("Modbus frame") << Sender::Modbus;
}

void TestFrameSender::closedLinkIsOpenedByTheWrite()
{
    QFETCH(Sender, sender);

    Bus bus;
    QSignalSpy opened(bus.link.get(), &DeviceLink::openChanged);
    QVERIFY(!bus.link->isOpen());

    bus.send(sender, Hex("01 03 00 09 00 04"));

    QVERIFY(bus.link->isOpen());
    QCOMPARE(bus.transport->openCount(), 1);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toBool(), true);
    QCOMPARE(bus.transport->writes().size(), 1);
    QCOMPARE(bus.log.lineCount(), 1);

    // The link stays open: the next frame does not open it again.
    bus.send(sender, Hex("01 03 00 09 00 04"));
    QCOMPARE(bus.transport->openCount(), 1);
    QCOMPARE(bus.transport->writes().size(), 2);
}

void TestFrameSender::failedWriteLogsAndPausesNothing_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addColumn<QStringList>("trace");

    // The Modbus send lets pending events run before it writes; nothing after.
    QTest::addRow("board frame") << Sender::Board << QStringList();
    QTest::addRow("Modbus frame") << Sender::Modbus << QStringList{"process"};
}

void TestFrameSender::failedWriteLogsAndPausesNothing()
{
    QFETCH(Sender, sender);
    QFETCH(QStringList, trace);

    Bus bus;
    bus.link->setOpen(true);
    bus.log.LogLine(QStringLiteral("earlier line"), BusDirection::Note);
    bus.trace.clear();
    bus.transport->failWriteWith = QStringLiteral("device write error");

    try {
        bus.send(sender, Hex("01 06 10"));
        QFAIL("a failed write must raise");
    } catch (const KvtError &e) {
        QCOMPARE(e.text(), QStringLiteral("device write error"));
    }

    QVERIFY(bus.transport->writes().isEmpty());
    QCOMPARE(bus.log.lines(), QStringList{QStringLiteral("earlier line")});
    QCOMPARE(bus.trace, trace);
    QCOMPARE(bus.pacer.totalPauseMs(), 0);
    QCOMPARE(bus.pacer.elapsedMs(), 0);
}

void TestFrameSender::failedOpenSendsNothing_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addRow("board frame") << Sender::Board;
    QTest::addRow("Modbus frame") << Sender::Modbus;
}

void TestFrameSender::failedOpenSendsNothing()
{
    QFETCH(Sender, sender);

    Bus bus;
    bus.transport->failOpenWith = QStringLiteral("COM7 is busy");

    try {
        bus.send(sender, Hex("01 06 10"));
        QFAIL("a link that cannot be opened must raise");
    } catch (const KvtError &e) {
        QCOMPARE(e.text(), QStringLiteral("COM7 is busy"));
    }

    QVERIFY(!bus.link->isOpen());
    QVERIFY(bus.transport->writes().isEmpty());
    QCOMPARE(bus.log.lineCount(), 0);
    QCOMPARE(bus.pacer.totalPauseMs(), 0);

    // Once the port is free the next frame opens the link and goes out.
    bus.transport->failOpenWith.clear();
    bus.send(sender, Hex("01 06 10"));
    QVERIFY(bus.link->isOpen());
    QCOMPARE(bus.transport->writes().size(), 1);
}

void TestFrameSender::modbusReplyPendingBeforeTheSendIsHandledBeforeTheWrite()
{
    Bus bus;
    bus.link->setOpen(true);
    // A reply waiting in the event queue when the send starts: the event
    // processing of step 3 runs its handler before the frame goes out.
    QMetaObject::invokeMethod(
        bus.transport, [&bus] { bus.transport->inject(":0103040001000AED\r\n"); },
        Qt::QueuedConnection);

    bus.send(Sender::Modbus, Hex("01 03 00 09 00 04"));

    const QStringList expected = {"process", "received :0103040001000AED\r\n", "write", "process",
                                  "log", "pause 200", "process"};
    QCOMPARE(bus.trace, expected);
}

void TestFrameSender::modbusReplyArrivingDuringThePauseIsHandledAtTheLastStep()
{
    Bus bus;
    bus.link->setOpen(true);
    // The board answers while the GUI thread sleeps; the handler runs at the
    // event processing after the pause, before the send returns.
    bus.pacer.onPause = [&bus](int) {
        bus.trace << QStringLiteral("pause");
        QMetaObject::invokeMethod(
            bus.transport, [&bus] { bus.transport->inject(":0103080000000000000000F4\r\n"); },
            Qt::QueuedConnection);
    };

    bus.send(Sender::Modbus, Hex("01 03 00 01 00 04"));

    const QStringList expected = {"process", "write", "process", "log", "pause",
                                  "process", "received :0103080000000000000000F4\r\n"};
    QCOMPARE(bus.trace, expected);
}

void TestFrameSender::boardFrameSendRunsNoPendingReply()
{
    Bus bus;
    bus.link->setOpen(true);
    QMetaObject::invokeMethod(
        bus.transport, [&bus] { bus.transport->inject(Hex("48 03 01 00 07")); },
        Qt::QueuedConnection);

    bus.send(Sender::Board, Hex("01 03 01"));

    // The pause blocks without processing events: the reply waits.
    QCOMPARE(bus.trace, (QStringList{"write", "log", "pause 100"}));
    QCoreApplication::processEvents();
    QCOMPARE(bus.trace.size(), 4);
    QVERIFY(bus.trace.last().startsWith(QStringLiteral("received H")));
}

void TestFrameSender::framesInARowArePacedOneByOne()
{
    Bus bus;
    bus.send(Sender::Board, Hex("01 06 10"));
    bus.send(Sender::Modbus, Hex("01 03 00 09 00 04"));
    bus.send(Sender::Board, Hex("02 06 10"));

    const QStringList expected = {"write",   "log",  "pause 100", "process",   "write",
                                  "process", "log",  "pause 200", "process",   "write",
                                  "log",     "pause 100"};
    QCOMPARE(bus.trace, expected);
    QCOMPARE(bus.transport->written(),
             Hex("48 03 01 06 10 14") + QByteArray(":010300090004EF\r\n") + Hex("48 03 02 06 10 17"));
    QCOMPARE(bus.pacer.elapsedMs(), 400);

    // Each pause starts after the clock has moved by the pauses before it.
    std::vector<qint64> pauseStarts;
    for (const VirtualPacer::Step &s : bus.pacer.steps())
        if (s.kind == VirtualPacer::StepKind::Pause)
            pauseStarts.push_back(s.atMs);
    QCOMPARE(pauseStarts, (std::vector<qint64>{0, 100, 300}));
}

QTEST_GUILESS_MAIN(TestFrameSender)
#include "tst_framesender.moc"
