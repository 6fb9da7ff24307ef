// The virtual room against the tool's own link and real peers: as a Telnet
// gateway, as a serial device on a pty (directly and behind ser2net), with its
// pacing, its faults on demand and its state file.
#include "recordingerrorreporter.h"

#include "tst_e2e_linkpeers.h"

#include "link/devicelink.h"
#include "protocol/boardframe.h"
#include "protocol/boardtable.h"
#include "protocol/modbus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kWaitMs = 5000;
constexpr int kSilenceMs = 400;

// kvt-roomsim as a child process, stopped by its PID when the object goes.
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

    // Up when it has printed where it can be reached.
    bool waitReady()
    {
        return m_process.waitForStarted(e2e::kStartMs) && e2e::WaitUntil([this] {
                   const QByteArray out = output();
                   return out.contains("listening on") || out.contains("serving on")
                          || m_process.state() == QProcess::NotRunning;
               }) && m_process.state() == QProcess::Running;
    }
    quint16 port()
    {
        const auto match = QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"))
                               .match(QString::fromUtf8(output()));
        return quint16(match.captured(1).toUInt());
    }
    QByteArray output()
    {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QByteArray errors() { return m_process.readAllStandardError(); }
    void stop() { e2e::Stop(m_process); }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_out;
};

// The tool's link with its four packet rules; every packet is recorded as
// "rule hex".
struct ToolLink
{
    RecordingErrorReporter reporter;
    DeviceLink link;
    QStringList packets;

    explicit ToolLink(const QString &folder) : link(folder, nullptr, &reporter)
    {
        for (int rule = 1; rule <= 4; ++rule)
            link.setPacketHandler(rule, [this, rule](const QByteArray &p) {
                packets << QStringLiteral("%1 %2").arg(rule).arg(QString::fromLatin1(p.toHex()).toUpper());
            });
    }
    void useTcp(quint16 port)
    {
        link.setDeviceLayer(DeviceLayer::dlWinsock);
        link.setWsAddress(QStringLiteral("127.0.0.1"));
        link.setWsPort(QString::number(port));
    }
    // Writes the requests, waits for the number of packets expected, then a
    // little longer to catch any packet too many.
    QStringList ask(const QList<QByteArray> &requests, int expected)
    {
        packets.clear();
        for (const QByteArray &r : requests)
            link.write(r);
        e2e::WaitUntil([&] { return packets.size() >= expected; }, kWaitMs);
        QTest::qWait(kSilenceMs);
        return packets;
    }
};

QByteArray M(const QString &hex)
{
    return ModbusWireText(QByteArray::fromHex(hex.toLatin1()));
}

QByteArray B(const QString &hex)
{
    return BoardFrame(QByteArray::fromHex(hex.toLatin1()));
}

QString ModbusPacket(const QString &hex)
{
    return QStringLiteral("3 ") + QString::fromLatin1(M(hex).toHex()).toUpper();
}

QString BoardPacket(int rule, const QString &hex, int length)
{
    return QStringLiteral("%1 ").arg(rule) + QString::fromLatin1(B(hex).left(length).toHex()).toUpper();
}

} // namespace

class TestE2eRoomSim : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void roomAsTelnetGateway();
    void roomOnPtyBehindSer2net();
    void roomOnPtyDirect();
    void answersArePaced();
    void closesOnceOnDemand();
    void dropsAnswersOnDemand();
    void stateFileKeepsMemories();
    void badStartsAreRefused_data();
    void badStartsAreRefused();

private:
    // The exchanges every line must carry the same way.
    void checkExchanges(ToolLink &tool);

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestE2eRoomSim::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestE2eRoomSim::cleanup()
{
    m_folder.reset();
}

void TestE2eRoomSim::checkExchanges(ToolLink &tool)
{
    // Scan by Modbus of every slot's bus id: the present boards answer; at 05
    // the six-circuit dimmer answers exception 03.
    QList<QByteArray> scan;
    for (const BoardSlot &slot : BoardTable)
        scan.append(ModbusWireText(ModbusReadRequest(slot.busId, 0x0001, 4)));
    QCOMPARE(tool.ask(scan, 8),
             (QStringList {ModbusPacket("010308 0000000000000000"), ModbusPacket("020308 0000000000000000"),
                           ModbusPacket("030308 0000000000000000"), ModbusPacket("058303"),
                           ModbusPacket("F10308 0000000000000000"), ModbusPacket("110308 0000000000000000"),
                           ModbusPacket("120308 0000000000000000"), ModbusPacket("F30308 0000000000000000")}));

    // Key 3 written by Modbus, read back by board frame and the other way.
    QCOMPARE(tool.ask({M("011000090004 08 FF0FFFF0FF00FF0D")}, 1), QStringList {ModbusPacket("011000090004")});
    QCOMPARE(tool.ask({B("010630")}, 1), QStringList {BoardPacket(1, "010630 FF0FFFF0FF00FF0D", 14)});
    QCOMPARE(tool.ask({B("020400 0D0A3AFF480B0D0A")}, 1), QStringList {BoardPacket(2, "0204", 5)});
    QCOMPARE(tool.ask({M("0203003D0004")}, 1), QStringList {ModbusPacket("020308 0D0A3AFF480B0D0A")});

    // A live output answers 'H' 03; the tool's rule takes its first 5 bytes.
    QCOMPARE(tool.ask({B("0103F05A")}, 1), QStringList {BoardPacket(4, "01F05A", 5)});
    // The key press is answered by nobody.
    QCOMPARE(tool.ask({B("000112")}, 0), QStringList {});
    // The media board and a six-key board's sensitivities.
    QCOMPARE(tool.ask({M("F810200000020400 0101FF")}, 1), QStringList {ModbusPacket("F81020000002")});
    QCOMPARE(tool.ask({M("F80320000002")}, 1), QStringList {ModbusPacket("F80304000101FF")});
    QCOMPARE(tool.ask({M("110300890003")}, 1), QStringList {ModbusPacket("1103062A2A2A2A2A2A")});
    QVERIFY2(tool.reporter.errors().isEmpty(), qPrintable(tool.reporter.errors().join('\n')));
}

void TestE2eRoomSim::roomAsTelnetGateway()
{
    Room room({"--listen", "127.0.0.1:0", "--fast"});
    QVERIFY2(room.waitReady(), room.errors().constData());
    ToolLink tool(m_folder->path());
    tool.useTcp(room.port());
    checkExchanges(tool);
    // One console line per frame served.
    const QByteArray out = room.output();
    QVERIFY2(out.contains("<- 48 04 01 03 F0 5A AC  01 light: live output mask F0 pattern 5A  -> 48 03 01 F0 5A A8"),
             out.constData());
    QVERIFY(out.contains("<- 48 03 00 01 12 10  key press key 1 column 2  -> no answer"));
}

void TestE2eRoomSim::roomOnPtyBehindSer2net()
{
    e2e::PtyPair pty(m_folder->path());
    QVERIFY2(pty.waitReady(), "socat did not make the pty pair");
    Room room({"--serial", pty.deviceA(), "--fast"});
    QVERIFY2(room.waitReady(), room.errors().constData());
    e2e::Ser2Net gateway(m_folder->path(), pty.deviceB());
    QVERIFY2(gateway.waitReady(), gateway.output().constData());
    ToolLink tool(m_folder->path());
    tool.useTcp(gateway.port());
    checkExchanges(tool);
}

void TestE2eRoomSim::roomOnPtyDirect()
{
    e2e::PtyPair pty(m_folder->path());
    QVERIFY2(pty.waitReady(), "socat did not make the pty pair");
    Room room({"--serial", pty.linkA(), "--fast"});
    QVERIFY2(room.waitReady(), room.errors().constData());
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("ports")));
    QVERIFY(QFile::link(pty.deviceB(), QDir(m_folder->path()).filePath(QStringLiteral("ports/COM3"))));
    ToolLink tool(m_folder->path());
    tool.link.setComNumber(3);
    checkExchanges(tool);
}

void TestE2eRoomSim::answersArePaced()
{
    // The longest answer there is: 125 registers of the media board, 511
    // characters, take about 532 ms at 9600 bit/s; without pacing next to none.
    const QByteArray request = M("F8032000007D");
    QElapsedTimer clock;
    qint64 paced = 0;
    qint64 fast = 0;
    for (const bool pacing : {true, false}) {
        Room room(QStringList {"--listen", "127.0.0.1:0"} + (pacing ? QStringList {} : QStringList {"--fast"}));
        QVERIFY2(room.waitReady(), room.errors().constData());
        ToolLink tool(m_folder->path());
        tool.useTcp(room.port());
        tool.link.setOpen(true);
        QTest::qWait(500); // greeting done
        clock.start();
        tool.link.write(request);
        QVERIFY(e2e::WaitUntil([&] { return tool.packets.size() == 1; }, kWaitMs));
        (pacing ? paced : fast) = clock.elapsed();
        QCOMPARE(tool.packets[0].size(), 2 + 2 * 511);
    }
    QVERIFY2(paced >= 500, qPrintable(QString::number(paced)));
    QVERIFY2(fast < paced - 300, qPrintable(QStringLiteral("%1 %2").arg(fast).arg(paced)));
}

void TestE2eRoomSim::closesOnceOnDemand()
{
    Room room({"--listen", "127.0.0.1:0", "--fast", "--close-after", "2"});
    QVERIFY2(room.waitReady(), room.errors().constData());
    ToolLink tool(m_folder->path());
    tool.useTcp(room.port());
    QCOMPARE(tool.ask({M("010300010004")}, 1), QStringList {ModbusPacket("010308 0000000000000000")});
    QVERIFY(tool.link.isOpen());
    // The second frame is not answered: the room hangs up.
    QCOMPARE(tool.ask({M("020300010004")}, 1), QStringList {});
    QTRY_VERIFY_WITH_TIMEOUT(!tool.link.isOpen(), kWaitMs);
    // The next frame connects again, and the room serves on.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(tool.ask({M("030300010004")}, 1), QStringList {ModbusPacket("030308 0000000000000000")});
    QVERIFY(tool.link.isOpen());
    QVERIFY(room.output().contains("(not sent: connection closed on demand)"));
}

void TestE2eRoomSim::dropsAnswersOnDemand()
{
    Room room({"--listen", "127.0.0.1:0", "--fast", "--drop-rate", "50%", "--seed", "5"});
    QVERIFY2(room.waitReady(), room.errors().constData());
    ToolLink tool(m_folder->path());
    tool.useTcp(room.port());
    QList<QByteArray> reads;
    for (int i = 0; i < 40; ++i)
        reads.append(M("010300010004"));
    const QStringList got = tool.ask(reads, 40);
    QVERIFY2(got.size() >= 8 && got.size() <= 32, qPrintable(QString::number(got.size())));
    for (const QString &p : got)
        QCOMPARE(p, ModbusPacket("010308 0000000000000000"));
    QCOMPARE(room.output().count("(dropped on demand)"), 40 - got.size());
}

void TestE2eRoomSim::stateFileKeepsMemories()
{
    const QString statePath = QDir(m_folder->path()).filePath(QStringLiteral("room.json"));
    {
        Room room({"--listen", "127.0.0.1:0", "--fast", "--state", statePath});
        QVERIFY2(room.waitReady(), room.errors().constData());
        ToolLink tool(m_folder->path());
        tool.useTcp(room.port());
        QCOMPARE(tool.ask({M("121000790004 08 0102030405060708")}, 1), QStringList {ModbusPacket("121000790004")});
        // Saved as soon as the memory changed, before the room stops.
        QFile file(statePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject boards = QJsonDocument::fromJson(file.readAll()).object().value("boards").toObject();
        QCOMPARE(boards.value("12").toObject().value("keys").toArray().at(16).toString(), "0102030405060708");
        room.stop();
        QCOMPARE(room.process().exitStatus(), QProcess::NormalExit);
    }
    Room again({"--listen", "127.0.0.1:0", "--fast", "--state", statePath});
    QVERIFY2(again.waitReady(), again.errors().constData());
    ToolLink tool(m_folder->path());
    tool.useTcp(again.port());
    // Key 18 ("XXX", bank 08 key byte F0) shares the memory of key 17.
    QCOMPARE(tool.ask({B("120EF0")}, 1), QStringList {BoardPacket(1, "120EF0 0102030405060708", 14)});
}

void TestE2eRoomSim::badStartsAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("stateText");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::addRow("two boards on one id") << QStringList {"--boards", "01,05"} << QByteArray() << 2
                                          << "kvt-roomsim: bus id 05 is given to both the light board and the "
                                             "six-circuit dimmer; two boards cannot share one id";
    QTest::addRow("state file that is no JSON") << QStringList {} << QByteArray("{ not json") << 1
                                                << "is not a room state";
    QTest::addRow("state file of another room's kind")
        << QStringList {} << QByteArray(R"({"version": 1, "boards": {"01": {"kind": "sixkey"}}})") << 1
        << "does not fit the room: board 01: the state holds a sixkey board, the room has a light board";
}

void TestE2eRoomSim::badStartsAreRefused()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, stateText);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const QString statePath = QDir(m_folder->path()).filePath(QStringLiteral("room.json"));
    if (!stateText.isEmpty()) {
        QFile file(statePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stateText);
    }
    Room room(args + QStringList {"--listen", "127.0.0.1:0", "--state", statePath});
    QVERIFY(room.process().waitForFinished(kWaitMs));
    QCOMPARE(room.process().exitCode(), exitCode);
    const QString errors = QString::fromUtf8(room.errors());
    QVERIFY2(errors.contains(message), qPrintable(errors));
    // What the technician had is left alone.
    if (!stateText.isEmpty()) {
        QFile file(statePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stateText);
    }
}

QTEST_GUILESS_MAIN(TestE2eRoomSim)
#include "tst_e2e_roomsim.moc"
