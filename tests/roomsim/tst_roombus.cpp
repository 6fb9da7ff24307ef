#include "protocol/boardframe.h"
#include "protocol/modbus.h"
#include "roomsim/keymap.h"
#include "roomsim/keymemoryboard.h"
#include "roomsim/roombus.h"
#include "roomsim/roomconfig.h"
#include "roomsim/sixcircuitdimmer.h"

#include <QtTest>

namespace {

QByteArray Hex(const QString &text)
{
    return QByteArray::fromHex(text.toLatin1()); // spaces are skipped
}

// A Modbus request or answer on the line, from its payload in hex.
QByteArray M(const QString &payloadHex)
{
    return ModbusWireText(Hex(payloadHex));
}

// A board frame on the line, from its payload in hex.
QByteArray B(const QString &payloadHex)
{
    return BoardFrame(Hex(payloadHex));
}

std::vector<BoardEntry> DemoRoom()
{
    return ParseRoomConfig({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}).boards;
}

// Feeds one request and returns the room's answer on the line ("" for none).
QByteArray Ask(RoomBus &bus, const QByteArray &request)
{
    const auto exchanges = bus.feed(request);
    if (exchanges.size() != 1)
        return QByteArray("<") + QByteArray::number(qulonglong(exchanges.size())) + " frames>";
    return exchanges.front().reply;
}

KeyMemoryBoard *KeyBoard(RoomBus &bus, quint8 id)
{
    return dynamic_cast<KeyMemoryBoard *>(bus.board(id));
}

} // namespace

class TestRoomBus : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void keyMemoryByBothRoutes_data();
    void keyMemoryByBothRoutes();
    void keysBeyondTheModbusTable();
    void keyPressReachesEveryBoard();
    void sixCircuitDimmerMemoryAndLiveLevels();
    void sixKeyRegisters();
    void failedWriteChangesNothing();
    void consoleLineNamesTheExchange();
};

void TestRoomBus::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::addRow("Modbus scan of light board 01")
        << QByteArray(":010300010004F7\r\n") << QByteArray(":0103080000000000000000F4\r\n");
    QTest::addRow("Modbus scan of the six-circuit dimmer 05: exception 03")
        << QByteArray(":050300010004F3\r\n") << QByteArray(":05830375\r\n");
    QTest::addRow("light board register without a key: exception 02")
        << QByteArray(":010300450004B3\r\n") << QByteArray(":0183027A\r\n");
    QTest::addRow("Modbus scan of main dimmer F3") << M("F30300010004") << M("F303080000000000000000");
    QTest::addRow("absent board 04 stays silent") << M("040300010004") << QByteArray();
    QTest::addRow("unknown function: exception 01") << M("010600010001") << M("018601");
    QTest::addRow("read of 0 registers: exception 03") << M("010300010000") << M("018303");
    QTest::addRow("write count and byte count disagree: exception 03")
        << M("01100001000406000000000000") << M("019003");
    QTest::addRow("light board has no key-setting registers") << M("010300810002") << M("018302");
    QTest::addRow("six-key key setting write is echoed") << M("111000820001020 1C5")
                                                            << M("111000820001");
    QTest::addRow("dimmer write outside its registers: exception 03")
        << M("051000010001020000") << M("059003");
    QTest::addRow("dimmer read of the live level of circuit 6") << M("050381050001") << M("05030200 00");
    QTest::addRow("dimmer read past circuit 6: exception 03") << M("050381060001") << M("058303");
    QTest::addRow("media board write") << M("F810200000020400010 1FF") << M("F81020000002");
    QTest::addRow("media board starts with FFFF") << M("F803200000 02") << M("F80304FFFFFFFF");
    QTest::addRow("media board top register 20FF") << M("F80320FF0001") << M("F80302FFFF");
    QTest::addRow("media board outside its registers: exception 02") << M("F80321000001") << M("F88302");
    QTest::addRow("board frame key read of key 3")
        << Hex("48030106303 4") << Hex("480B010630000000000000000 03C");
    QTest::addRow("board frame live output answers H 03 with its check")
        << Hex("480402030FAAA0") << Hex("4803020FAAA4");
    QTest::addRow("board frame key write answers H 02")
        << B("020400 1122334455667788") << Hex("4802020404");
    QTest::addRow("key press broadcast has no answer") << B("000111") << QByteArray();
    QTest::addRow("board frame to absent board 04") << B("040630") << QByteArray();
    QTest::addRow("board frame to the six-circuit dimmer") << B("050630") << QByteArray();
    QTest::addRow("board frame with an unknown command") << B("0107 30") << QByteArray();
    QTest::addRow("board frame read of an unknown power key byte") << B("010E20") << QByteArray();
}

void TestRoomBus::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    RoomBus bus(DemoRoom());
    QCOMPARE(Ask(bus, request), reply);
}

void TestRoomBus::keyMemoryByBothRoutes_data()
{
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("bank");
    QTest::addColumn<int>("keyByte");

    QTest::addRow("key 1 at 0001, 00 10") << 0 << 0x0001 << 0x00 << 0x10;
    QTest::addRow("key 3 at 0009, 00 30") << 2 << 0x0009 << 0x00 << 0x30;
    QTest::addRow("key 16 at 003D, 00 00") << 15 << 0x003D << 0x00 << 0x00;
    QTest::addRow("key 17 at 0079, 08 F0") << 16 << 0x0079 << 0x08 << 0xF0;
    QTest::addRow("key 18 shares 0079, 08 F0") << 17 << 0x0079 << 0x08 << 0xF0;
    QTest::addRow("key 19 at 0075, 08 E0") << 18 << 0x0075 << 0x08 << 0xE0;
    QTest::addRow("key 27 at 0055, 08 60") << 26 << 0x0055 << 0x08 << 0x60;
    QTest::addRow("key 28 at 0041, 08 10") << 27 << 0x0041 << 0x08 << 0x10;
    QTest::addRow("key 29 at 004D, 08 40") << 28 << 0x004D << 0x08 << 0x40;
    QTest::addRow("key 30 at 0051, 08 50") << 29 << 0x0051 << 0x08 << 0x50;
}

void TestRoomBus::keyMemoryByBothRoutes()
{
    QFETCH(int, keyIndex);
    QFETCH(int, reg);
    QFETCH(int, bank);
    QFETCH(int, keyByte);

    const QString regHex = QStringLiteral("%1").arg(reg, 4, 16, QLatin1Char('0'));
    for (const QString id : {QStringLiteral("01"), QStringLiteral("11"), QStringLiteral("F3")}) {
        RoomBus bus(DemoRoom());
        const QString code = QStringLiteral("%1").arg(bank + 6, 2, 16, QLatin1Char('0'))
                             + QStringLiteral("%1").arg(keyByte, 2, 16, QLatin1Char('0'));
        const QString writeCode = QStringLiteral("%1").arg(bank + 4, 2, 16, QLatin1Char('0'))
                                  + QStringLiteral("%1").arg(keyByte, 2, 16, QLatin1Char('0'));

        // Written by Modbus, read by board frame.
        QCOMPARE(Ask(bus, M(id + "10" + regHex + "000408" + "0102030405060708")),
                 M(id + "10" + regHex + "0004"));
        QCOMPARE(Ask(bus, B(id + code)), B(id + code + "0102030405060708"));
        QCOMPARE(KeyBoard(bus, Hex(id)[0])->keyData(keyIndex), Hex("0102030405060708"));

        // Written by board frame, read by Modbus.
        QCOMPARE(Ask(bus, B(id + writeCode + "A1B2C3D4E5F60718")), B(id + writeCode.left(2)));
        QCOMPARE(Ask(bus, M(id + "03" + regHex + "0004")), M(id + "0308" + "A1B2C3D4E5F60718"));
        if (id == QLatin1String("F3")) {
            // The main dimmer keeps the same memory at 0x1080 above.
            const QString high = QStringLiteral("%1").arg(reg + 0x1080, 4, 16, QLatin1Char('0'));
            QCOMPARE(Ask(bus, M(id + "03" + high + "0004")), M(id + "0308" + "A1B2C3D4E5F60718"));
        }
        // No other key of the board changed.
        for (int k = 0; k < kKeyCount; ++k)
            if (StorageKey(k) != StorageKey(keyIndex))
                QCOMPARE(KeyBoard(bus, Hex(id)[0])->keyData(k), QByteArray(8, 0));
    }
}

void TestRoomBus::keysBeyondTheModbusTable()
{
    RoomBus bus(DemoRoom());
    // "板4 / 鍵4" (index 45: bank 10, key byte 00) and "板5 / 鍵1" (46: 18, 10).
    QCOMPARE(Ask(bus, B("011400 1111111111111111")), B("0114"));
    QCOMPARE(Ask(bus, B("011C10 2222222222222222")), B("011C"));
    QCOMPARE(Ask(bus, B("011600")), B("011600 1111111111111111"));
    QCOMPARE(Ask(bus, B("011E10")), B("011E10 2222222222222222"));
    // Key 16 ("--", bank 00 key byte 00) is another key.
    QCOMPARE(Ask(bus, B("010600")), B("010600 0000000000000000"));
    QCOMPARE(KeyBoard(bus, 0x01)->keyData(45), Hex("1111111111111111"));
    QCOMPARE(KeyBoard(bus, 0x01)->keyData(46), Hex("2222222222222222"));
}

void TestRoomBus::keyPressReachesEveryBoard()
{
    RoomBus bus(DemoRoom());
    // Key 1 ("晴空"): board 01 controls every output, board 02 outputs 1-2.
    Ask(bus, B("010410 FF0FFFF0FF00FFFF"));
    Ask(bus, B("020410 0301030203030300"));
    // Main dimmer: both groups enabled, column 1 levels 1 and 2, column 2: 3 and 0.
    Ask(bus, B("F30410 0509050305000500"));
    // Six-circuit dimmer, slot 0: circuit 1 enabled, levels 10 20 30 40, elapse 20;
    // circuit 2 disabled with levels 63.
    Ask(bus, M("05101000000408 8A545E28 3FFFFFFF"));
    // Board 02 had outputs 5-8 on before.
    Ask(bus, B("0203FFF0"));

    auto *b1 = KeyBoard(bus, 0x01);
    auto *b2 = KeyBoard(bus, 0x02);
    auto *f3 = KeyBoard(bus, 0xF3);
    auto *d6 = dynamic_cast<SixCircuitDimmer *>(bus.board(0x05));

    // Step 0 stands for column 1.
    QCOMPARE(Ask(bus, B("000110")), QByteArray());
    QCOMPARE(b1->outputs(), quint8(0x0F));
    QCOMPARE(b2->outputs(), quint8(0xF1)); // outputs outside the mask stay
    QCOMPARE(f3->dimmerLevel(1), 1);
    QCOMPARE(f3->dimmerLevel(2), 2);
    QCOMPARE(d6->level(1), 10);
    QCOMPARE(d6->level(2), 0);

    Ask(bus, B("000112")); // step 2
    QCOMPARE(b1->outputs(), quint8(0xF0));
    QCOMPARE(b2->outputs(), quint8(0xF2));
    QCOMPARE(f3->dimmerLevel(1), 3);
    QCOMPARE(f3->dimmerLevel(2), 0);
    QCOMPARE(d6->level(1), 20);

    Ask(bus, B("000114")); // step 4: board 01 column 4 = FF
    QCOMPARE(b1->outputs(), quint8(0xFF));
    QCOMPARE(d6->level(1), 40);

    // A step beyond 4 is not a column: nothing moves.
    Ask(bus, B("000115"));
    QCOMPARE(b1->outputs(), quint8(0xFF));
}

void TestRoomBus::sixCircuitDimmerMemoryAndLiveLevels()
{
    RoomBus bus(DemoRoom());
    auto *d6 = dynamic_cast<SixCircuitDimmer *>(bus.board(0x05));
    // Key indexes 16 and 17 share slot 30: circuit 1 at 0x1168, circuit 6 at 0x1172.
    QCOMPARE(Ask(bus, M("0510116800020480C0C0C0")), M("051011680002"));
    QCOMPARE(Ask(bus, M("051011720002047FC0C0C1")), M("051011720002"));
    QCOMPARE(Ask(bus, M("050311680002")), M("05030480C0C0C0"));
    QCOMPARE(d6->circuitData(30, 6), Hex("7FC0C0C1"));
    // The last register of slot 30 is the end of the memory.
    QCOMPARE(Ask(bus, M("050311730001")), M("050302C0C1"));
    QCOMPARE(Ask(bus, M("050311740001")), M("058303"));

    // Live level of circuit 2: level × 256 + 1 in 0x8101.
    QCOMPARE(Ask(bus, M("051081010001022801")), M("051081010001"));
    QCOMPARE(d6->level(2), 40);
    // Key press of "XXX" (key 18, bank 08 key byte F0, step 1) uses slot 30:
    // circuit 6 enabled? no (7F); circuit 1 enabled, level 0.
    Ask(bus, B("0009F1"));
    QCOMPARE(d6->level(1), 0);
    QCOMPARE(d6->level(2), 40);
    QCOMPARE(d6->level(6), 0);
}

void TestRoomBus::sixKeyRegisters()
{
    RoomBus bus(DemoRoom());
    // A new board: position p triggers key code p with flags C5.
    QCOMPARE(Ask(bus, M("110300810002")), M("110304 01C5 02C5"));
    QCOMPARE(Ask(bus, M("110300860002")), M("110304 06C5 0000"));
    QCOMPARE(Ask(bus, M("111000820001020125")), M("111000820001"));
    QCOMPARE(Ask(bus, M("110300820002")), M("110304 0125 03C5"));
    QCOMPARE(Ask(bus, M("110300880001")), M("118302"));
    // Sensitivities: three registers, six bytes, from 0x0089.
    QCOMPARE(Ask(bus, M("110300890003")), M("1103062A2A2A2A2A2A"));
    QCOMPARE(Ask(bus, M("11100089000306 12061 60A1A0E")), M("111000890003"));
    QCOMPARE(Ask(bus, M("110300890003")), M("11030612 0616 0A1A0E"));
    QCOMPARE(Ask(bus, M("1103008C0001")), M("118302"));
    // The same registers on board 12 are its own.
    QCOMPARE(Ask(bus, M("120300890003")), M("1203062A2A2A2A2A2A"));
}

void TestRoomBus::failedWriteChangesNothing()
{
    RoomBus bus(DemoRoom());
    Ask(bus, M("01100041000408 1111111111111111"));
    // Registers 0041-0044 hold key 28, 0045-0048 no key: the whole write fails.
    QCOMPARE(Ask(bus, M("0110004100081 0 22222222222222222222222222222222")),
             M("019002"));
    QCOMPARE(KeyBoard(bus, 0x01)->keyData(27), Hex("1111111111111111"));
}

void TestRoomBus::consoleLineNamesTheExchange()
{
    RoomBus bus(DemoRoom());
    const auto read = bus.feed(":010300090004EF\r\n");
    QCOMPARE(read.size(), size_t(1));
    QCOMPARE(read[0].line, QStringLiteral("<- :010300090004EF  01 light: read 4 registers from 0009  "
                                          "-> :0103080000000000000000F4"));
    QVERIFY(!read[0].changedMemory);
    const auto write = bus.feed(B("020400 1122334455667788"));
    QCOMPARE(write[0].line, QStringLiteral("<- 48 0B 02 04 00 11 22 33 44 55 66 77 88 85  "
                                           "02 light: key write key 16: 11 22 33 44 55 66 77 88  "
                                           "-> 48 02 02 04 04"));
    QVERIFY(write[0].changedMemory);
    const auto silent = bus.feed(B("040630"));
    QCOMPARE(silent[0].line, QStringLiteral("<- 48 03 04 06 30 31  no board 04  -> no answer"));
}

QTEST_GUILESS_MAIN(TestRoomBus)
#include "tst_roombus.moc"
