#include "protocol/boardframe.h"
#include "protocol/kvterror.h"
#include "protocol/modbus.h"
#include "roomsim/roombus.h"
#include "roomsim/roomconfig.h"
#include "roomsim/roomstatefile.h"

#include <QtTest>

namespace {

QByteArray M(const QString &payloadHex)
{
    return ModbusWireText(QByteArray::fromHex(payloadHex.toLatin1()));
}

QByteArray B(const QString &payloadHex)
{
    return BoardFrame(QByteArray::fromHex(payloadHex.toLatin1()));
}

std::vector<BoardEntry> DemoRoom()
{
    return ParseRoomConfig({"--serial", "/dev/null"}).boards;
}

// A room whose every kind of memory holds something other than the defaults.
void Fill(RoomBus &bus)
{
    bus.feed(B("010410 0102030405060708"));
    bus.feed(B("011C00 A0A1A2A3A4A5A6A7")); // key 62, board frames only
    bus.feed(M("F31010BD0004 08 0105010601070108")); // key 16 ("--") at the main dimmer's own registers
    bus.feed(M("111000810007 0E 1FC51EC51D8500000000000000FF"));
    bus.feed(M("11100089000306 12061 60A1A0E"));
    bus.feed(M("05101000000408 8A545E28 3FFFFFFF"));
    bus.feed(M("051081050001 02 3F01"));
    bus.feed(M("F810207E000204 DEADBEEF"));
    bus.feed(B("0203FF5A")); // outputs
}

} // namespace

class TestRoomState : public QObject
{
    Q_OBJECT

private slots:
    void savedStateRestoresEveryMemory();
    void badEntryChangesNoBoard_data();
    void badEntryChangesNoBoard();
    void boardsNotInTheRoomAreKept();
    void stateFileRoundTrip();
    void stateFileRefusedWithoutTouchingIt_data();
    void stateFileRefusedWithoutTouchingIt();
};

void TestRoomState::savedStateRestoresEveryMemory()
{
    RoomBus first(DemoRoom());
    Fill(first);
    const QJsonObject saved = first.saveState();
    QCOMPARE(saved.value("01").toObject().value("keys").toArray().at(0).toString(), "0102030405060708");
    QCOMPARE(saved.value("01").toObject().value("keys").toArray().at(61).toString(), "A0A1A2A3A4A5A6A7");
    QCOMPARE(saved.value("F3").toObject().value("keys").toArray().at(15).toString(), "0105010601070108");
    QCOMPARE(saved.value("02").toObject().value("outputs").toInt(), 0x5A);

    RoomBus second(DemoRoom());
    QVERIFY(second.saveState() != saved);
    second.loadState(saved);
    QCOMPARE(second.saveState(), saved);
    // The loaded memory answers on the bus.
    QCOMPARE(second.feed(M("110300810002")).front().reply, M("1103041FC51EC5"));
    QCOMPARE(second.feed(M("050381050001")).front().reply, M("0503023F01"));
    QCOMPARE(second.feed(M("F803207E0002")).front().reply, M("F80304DEADBEEF"));
    QCOMPARE(second.feed(B("F30600")).front().reply, B("F30600 0105010601070108"));
}

void TestRoomState::badEntryChangesNoBoard_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");

    QJsonArray shortKeys;
    for (int k = 0; k < 61; ++k)
        shortKeys.append("0000000000000000");
    QJsonArray badHex;
    for (int k = 0; k < 62; ++k)
        badHex.append(k == 40 ? "00000000000000ZZ" : "0000000000000000");

    QTest::addRow("61 keys") << "12" << "keys" << QJsonValue(shortKeys) << "board 12: expected 62 keys";
    QTest::addRow("a key that is not hex") << "12" << "keys" << QJsonValue(badHex)
                                           << "board 12 key 41: expected 8 bytes as hex text";
    QTest::addRow("a light board saved as a six-key board")
        << "12" << "kind" << QJsonValue("light") << "board 12: the state holds a light board, the room has a sixkey board";
    QTest::addRow("sensitivity out of range") << "12" << "sensitivity" << QJsonValue(QJsonArray {1, 2, 70000})
                                              << "board 12 sensitivity: 70000 is not a register value";
    QTest::addRow("dimmer slot too short") << "05" << "slots" << QJsonValue(QJsonArray {"00"})
                                           << "six-circuit dimmer 05: expected 31 slots";
    QTest::addRow("media registers cut") << "F8" << "registers" << QJsonValue("FFFF")
                                         << "media board F8 registers: expected 512 bytes as hex text";
}

void TestRoomState::badEntryChangesNoBoard()
{
    QFETCH(QString, board);
    QFETCH(QString, field);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);

    RoomBus source(DemoRoom());
    Fill(source);
    QJsonObject state = source.saveState();
    QJsonObject entry = state.value(board).toObject();
    entry[field] = value;
    state[board] = entry;

    RoomBus bus(DemoRoom());
    const QJsonObject before = bus.saveState();
    try {
        bus.loadState(state);
        QFAIL("the state was accepted");
    } catch (const KvtError &e) {
        QCOMPARE(e.text(), message);
    }
    // Boards loaded before the bad entry are back as they were too.
    QCOMPARE(bus.saveState(), before);
}

void TestRoomState::boardsNotInTheRoomAreKept()
{
    RoomBus full(DemoRoom());
    Fill(full);
    const QJsonObject saved = full.saveState();

    // A smaller room started on the same file must not lose the others' memory.
    RoomBus small(ParseRoomConfig({"--serial", "/dev/null", "--boards", "01", "--dimmer6", "none",
                                   "--media", "none"}).boards);
    small.loadState(saved);
    small.feed(B("010410 1111111111111111"));
    const QJsonObject resaved = small.saveState();
    QCOMPARE(resaved.value("F8"), saved.value("F8"));
    QCOMPARE(resaved.value("11"), saved.value("11"));
    QCOMPARE(resaved.value("01").toObject().value("keys").toArray().at(0).toString(), "1111111111111111");
}

void TestRoomState::stateFileRoundTrip()
{
    QTemporaryDir dir;
    const RoomStateFile file(dir.filePath("room.json"));
    RoomBus fresh(DemoRoom());
    const QJsonObject untouched = fresh.saveState();
    file.load(fresh); // no file yet: the room stays as it is
    QCOMPARE(fresh.saveState(), untouched);

    RoomBus first(DemoRoom());
    Fill(first);
    file.save(first);
    RoomBus second(DemoRoom());
    file.load(second);
    QCOMPARE(second.saveState(), first.saveState());
}

void TestRoomState::stateFileRefusedWithoutTouchingIt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");

    QTest::addRow("not JSON") << QByteArray("{\"version\": 1,") << "is not a room state: ";
    QTest::addRow("a JSON list") << QByteArray("[1, 2]") << "is not a room state: not an object";
    QTest::addRow("another version") << QByteArray(R"({"version": 2, "boards": {}})")
                                     << "is not a room state of version 1";
    QTest::addRow("a board entry that is no object") << QByteArray(R"({"version": 1, "boards": {"01": 5}})")
                                                     << "does not fit the room: board 01: the state entry is not an object";
}

void TestRoomState::stateFileRefusedWithoutTouchingIt()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("room.json");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();

    RoomBus bus(DemoRoom());
    const QJsonObject before = bus.saveState();
    try {
        RoomStateFile(path).load(bus);
        QFAIL("the file was accepted");
    } catch (const KvtError &e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("The state file %1 ").arg(path)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QCOMPARE(bus.saveState(), before);
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), text);
}

QTEST_GUILESS_MAIN(TestRoomState)
#include "tst_roomstate.moc"
