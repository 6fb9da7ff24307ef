// Board frame, hex helpers, Modbus ASCII, board table and the log-line texts.
// Vectors are the worked examples of the design and hand-computed frames, not
// output of our own encoder.
#include "protocol/boardframe.h"
#include "protocol/boardtable.h"
#include "protocol/hex.h"
#include "protocol/kvterror.h"
#include "protocol/logformat.h"
#include "protocol/modbus.h"

#include <QSet>
#include <QtTest>

namespace {

QByteArray Hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced));
}

} // namespace

class TestCodecs : public QObject
{
    Q_OBJECT

private slots:
    void boardFrame_data();
    void boardFrame();
    void boardFrameOf256Bytes();

    void bytesToHex_data();
    void bytesToHex();
    void hexToBytes_data();
    void hexToBytes();
    void hexDigitValue_data();
    void hexDigitValue();
    void hexPairValue_data();
    void hexPairValue();
    void xorBytes_data();
    void xorBytes();
    void hexRoundTripOfEveryByte();

    void modbusLrc_data();
    void modbusLrc();
    void modbusWireText_data();
    void modbusWireText();
    void modbusSendLogLine_data();
    void modbusSendLogLine();
    void modbusRequests_data();
    void modbusRequests();
    void modbusWriteRejectsPartialRegisters_data();
    void modbusWriteRejectsPartialRegisters();

    void boardTable_data();
    void boardTable();
    void findSlotById_data();
    void findSlotById();
    void slotInfoRejectsMissingSlots_data();
    void slotInfoRejectsMissingSlots();
    void modbusRoute_data();
    void modbusRoute();

    void receivedLogLines_data();
    void receivedLogLines();
    void modbusReplyLogLine_data();
    void modbusReplyLogLine();
};

void TestCodecs::boardFrame_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("logLine");

    QTest::addRow("empty payload is 48 00 00")
        << QByteArray() << Hex("48 00 00") << QStringLiteral("48 00 00 (4)");
    QTest::addRow("01 06 10 (scan request of key 1)")
        << Hex("01 06 10") << Hex("48 03 01 06 10 14") << QStringLiteral("48 03 01 06 10 14 (4)");
    QTest::addRow("05 03 0F AA checks A7")
        << Hex("05 03 0F AA") << Hex("48 04 05 03 0F AA A7")
        << QStringLiteral("48 04 05 03 0F AA A7 (4)");
    // 03 ^ F3 ^ 06 ^ 10 = E6
    QTest::addRow("F3 06 10 to the main dimmer board")
        << Hex("F3 06 10") << Hex("48 03 F3 06 10 E6") << QStringLiteral("48 03 F3 06 10 E6 (4)");
    QTest::addRow("zero bytes inside the payload")
        << Hex("00 00") << Hex("48 02 00 00 02") << QStringLiteral("48 02 00 00 02 (4)");
    // 01 ^ 48 = 49: an 'H' in the payload is data, and is part of the check
    QTest::addRow("'H' inside the payload is checked")
        << Hex("48") << Hex("48 01 48 49") << QStringLiteral("48 01 48 49 (4)");
    // 02 ^ FF ^ FD = 00
    QTest::addRow("check byte 00")
        << Hex("FF FD") << Hex("48 02 FF FD 00") << QStringLiteral("48 02 FF FD 00 (4)");
}

void TestCodecs::boardFrame()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, frame);
    QFETCH(QString, logLine);

    QCOMPARE(BoardFrame(payload).toHex(' '), frame.toHex(' '));
    QCOMPARE(BoardFrameLogLine(frame), logLine);
}

void TestCodecs::boardFrameOf256Bytes()
{
    // The length byte wraps to 00; the check is then the XOR of the payload.
    QByteArray payload(256, '\0');
    payload[0] = char(0x5A);
    payload[255] = char(0x0F);
    const QByteArray frame = BoardFrame(payload);
    QCOMPARE(frame.size(), 259);
    QCOMPARE(quint8(frame[0]), quint8(0x48));
    QCOMPARE(quint8(frame[1]), quint8(0x00));
    QCOMPARE(frame.mid(2, 256), payload);
    QCOMPARE(quint8(frame[258]), quint8(0x5A ^ 0x0F));

    // 257 bytes: length byte 01, which enters the check too.
    const QByteArray longer = BoardFrame(payload + QByteArray(1, '\0'));
    QCOMPARE(quint8(longer[1]), quint8(0x01));
    QCOMPARE(quint8(longer[259]), quint8(0x01 ^ 0x5A ^ 0x0F));
}

void TestCodecs::bytesToHex_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("text");

    QTest::addRow("00 FF with a space: separator after the last byte too")
        << Hex("00 FF") << QStringLiteral(" ") << QStringLiteral("00 FF ");
    QTest::addRow("00 FF without separator")
        << Hex("00 FF") << QString() << QStringLiteral("00FF");
    QTest::addRow("empty input, space separator") << QByteArray() << QStringLiteral(" ") << QString();
    QTest::addRow("empty input, no separator") << QByteArray() << QString() << QString();
    QTest::addRow("upper-case digits") << Hex("AB CD EF 0A") << QString()
                                       << QStringLiteral("ABCDEF0A");
    QTest::addRow("leading zero kept") << Hex("01 0F") << QStringLiteral(" ")
                                       << QStringLiteral("01 0F ");
    QTest::addRow("two-character separator") << Hex("12 34") << QStringLiteral(", ")
                                             << QStringLiteral("12, 34, ");
}

void TestCodecs::bytesToHex()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, separator);
    QFETCH(QString, text);

    QCOMPARE(BytesToHex(bytes, separator), text);
}

void TestCodecs::hexToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::addRow("0a1: trailing odd character ignored") << QStringLiteral("0a1") << Hex("0A");
    QTest::addRow("zz: non-digits count as 0") << QStringLiteral("zz") << Hex("00");
    QTest::addRow("empty text") << QString() << QByteArray();
    QTest::addRow("single character") << QStringLiteral("F") << QByteArray();
    QTest::addRow("upper case") << QStringLiteral("00FFA5") << Hex("00 FF A5");
    QTest::addRow("lower case") << QStringLiteral("ff0b") << Hex("FF 0B");
    QTest::addRow("G1: non-digit high nibble") << QStringLiteral("G1") << Hex("01");
    QTest::addRow("1G: non-digit low nibble") << QStringLiteral("1G") << Hex("10");
    QTest::addRow("spaces read as zero digits, pairs not realigned")
        << QStringLiteral("01 02 ") << Hex("01 00 20");
    QTest::addRow("full-width digits are not hex digits")
        << QStringLiteral("\uFF11\uFF12") << Hex("00");
    QTest::addRow("CJK text") << QStringLiteral("晴空") << Hex("00");
    QTest::addRow("Modbus reply data with LRC and CR LF")
        << QStringLiteral("0001000AED\r\n") << Hex("00 01 00 0A ED 00");
}

void TestCodecs::hexToBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(HexToBytes(text).toHex(' '), bytes.toHex(' '));
}

void TestCodecs::hexDigitValue_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<int>("value");

    QTest::addRow("0") << QChar('0') << 0;
    QTest::addRow("9") << QChar('9') << 9;
    QTest::addRow("A") << QChar('A') << 10;
    QTest::addRow("F") << QChar('F') << 15;
    QTest::addRow("a") << QChar('a') << 10;
    QTest::addRow("f") << QChar('f') << 15;
    QTest::addRow("G is not a digit") << QChar('G') << 0;
    QTest::addRow("g is not a digit") << QChar('g') << 0;
    QTest::addRow("'/' just below '0'") << QChar('/') << 0;
    QTest::addRow("':' just above '9'") << QChar(':') << 0;
    QTest::addRow("'@' just below 'A'") << QChar('@') << 0;
    QTest::addRow("'`' just below 'a'") << QChar('`') << 0;
    QTest::addRow("space") << QChar(' ') << 0;
    QTest::addRow("NUL") << QChar(0) << 0;
    QTest::addRow("full-width 5") << QChar(0xFF15) << 0;
    QTest::addRow("Arabic-Indic 7") << QChar(0x0667) << 0;
    QTest::addRow("CJK character") << QChar(0x6674) << 0;
}

void TestCodecs::hexDigitValue()
{
    QFETCH(QChar, character);
    QFETCH(int, value);

    QCOMPARE(HexDigitValue(character), value);
}

void TestCodecs::hexPairValue_data()
{
    QTest::addColumn<QString>("pair");
    QTest::addColumn<int>("value");

    QTest::addRow("00") << QStringLiteral("00") << 0x00;
    QTest::addRow("FF") << QStringLiteral("FF") << 0xFF;
    QTest::addRow("ff") << QStringLiteral("ff") << 0xFF;
    QTest::addRow("a0: first is the high nibble") << QStringLiteral("a0") << 0xA0;
    QTest::addRow("0a") << QStringLiteral("0a") << 0x0A;
    QTest::addRow("zz") << QStringLiteral("zz") << 0x00;
    QTest::addRow("Z5") << QStringLiteral("Z5") << 0x05;
    QTest::addRow("5Z") << QStringLiteral("5Z") << 0x50;
}

void TestCodecs::hexPairValue()
{
    QFETCH(QString, pair);
    QFETCH(int, value);

    QCOMPARE(int(HexPairValue(pair[0], pair[1])), value);
}

void TestCodecs::xorBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("value");

    QTest::addRow("empty gives 0") << QByteArray() << 0;
    QTest::addRow("one byte") << Hex("5A") << 0x5A;
    QTest::addRow("04 05 03 0F AA") << Hex("04 05 03 0F AA") << 0xA7;
    QTest::addRow("equal bytes cancel") << Hex("FF FF") << 0x00;
    QTest::addRow("zero bytes change nothing") << Hex("00 81 00") << 0x81;
}

void TestCodecs::xorBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, value);

    QCOMPARE(int(XorBytes(bytes)), value);
}

void TestCodecs::hexRoundTripOfEveryByte()
{
    // The scene file stores byte strings as hex: every value must survive.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = BytesToHex(all, QString());
    QCOMPARE(text.size(), 512);
    QCOMPARE(text, QString::fromLatin1(all.toHex().toUpper()));
    QCOMPARE(HexToBytes(text), all);
    QCOMPARE(HexToBytes(text.toLower()), all);
}

void TestCodecs::modbusLrc_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("lrc");

    QTest::addRow("read 4 registers from 1 of address 1") << Hex("01 03 00 01 00 04") << 0xF7;
    QTest::addRow("read key 3 of slot 1") << Hex("01 03 00 09 00 04") << 0xEF;
    QTest::addRow("reply 01 03 04 00 01 00 0A") << Hex("01 03 04 00 01 00 0A") << 0xED;
    QTest::addRow("empty payload") << QByteArray() << 0x00;
    QTest::addRow("sum a multiple of 256") << Hex("80 80") << 0x00;
    QTest::addRow("sum 0x1FF wraps") << Hex("FF FF 01") << 0x01;
    QTest::addRow("single 01") << Hex("01") << 0xFF;
}

void TestCodecs::modbusLrc()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, lrc);

    QCOMPARE(int(ModbusLrc(payload)), lrc);
}

void TestCodecs::modbusWireText_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("wire");

    QTest::addRow("read 4 registers from 1 of address 1")
        << Hex("01 03 00 01 00 04") << QByteArray(":010300010004F7\r\n");
    QTest::addRow("read key 3 of slot 1")
        << Hex("01 03 00 09 00 04") << QByteArray(":010300090004EF\r\n");
    QTest::addRow("empty payload") << QByteArray() << QByteArray(":00\r\n");
    QTest::addRow("AB is written upper case") << Hex("AB") << QByteArray(":AB55\r\n");
    QTest::addRow("bus id F3") << Hex("F3 03 10 81 00 04") << QByteArray(":F3031081000475\r\n");
}

void TestCodecs::modbusWireText()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, wire);

    QCOMPARE(ModbusWireText(payload), wire);
}

void TestCodecs::modbusSendLogLine_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("line");

    QTest::addRow("space after every byte, CR LF, then (4)")
        << Hex("01 03 00 01 00 04") << QStringLiteral(":01 03 00 01 00 04 F7 \r\n(4)");
    QTest::addRow("empty payload logs the LRC only")
        << QByteArray() << QStringLiteral(":00 \r\n(4)");
    QTest::addRow("upper case") << Hex("AB") << QStringLiteral(":AB 55 \r\n(4)");
}

void TestCodecs::modbusSendLogLine()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, line);

    QCOMPARE(ModbusSendLogLine(payload), line);
}

void TestCodecs::modbusRequests_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("read key 3 of slot 1")
        << ModbusReadRequest(0x01, 0x0009, 4) << Hex("01 03 00 09 00 04");
    QTest::addRow("read, registers big-endian")
        << ModbusReadRequest(0xF3, 0x1081, 0x0104) << Hex("F3 03 10 81 01 04");
    QTest::addRow("write two registers")
        << ModbusWriteRequest(0x11, 0x0005, Hex("12 34 00 FF"))
        << Hex("11 10 00 05 00 02 04 12 34 00 FF");
    QTest::addRow("write eight bytes of board data to register 0x1081")
        << ModbusWriteRequest(0x20, 0x1081, Hex("01 02 03 04 05 06 07 08"))
        << Hex("20 10 10 81 00 04 08 01 02 03 04 05 06 07 08");
}

void TestCodecs::modbusRequests()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, expected);

    QCOMPARE(payload.toHex(' '), expected.toHex(' '));
}

void TestCodecs::modbusWriteRejectsPartialRegisters_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("accepted");

    QTest::addRow("no data") << 0 << true;
    QTest::addRow("one byte, half a register") << 1 << false;
    QTest::addRow("seven bytes") << 7 << false;
    QTest::addRow("123 registers, the most one write takes") << 246 << true;
    QTest::addRow("124 registers") << 248 << false;
    QTest::addRow("256 bytes would wrap the byte count") << 256 << false;
}

void TestCodecs::modbusWriteRejectsPartialRegisters()
{
    QFETCH(int, bytes);
    QFETCH(bool, accepted);

    const QByteArray data(bytes, char(0x5A));
    if (accepted) {
        const QByteArray payload = ModbusWriteRequest(0x01, 0x0001, data);
        QCOMPARE(payload.size(), 7 + bytes);
        QCOMPARE((quint8(payload[4]) << 8) | quint8(payload[5]), bytes / 2);
        QCOMPARE(int(quint8(payload[6])), bytes);
    } else {
        QVERIFY_THROWS_EXCEPTION(KvtError, ModbusWriteRequest(0x01, 0x0001, data));
    }
}

void TestCodecs::boardTable_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("busId");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("cpu");

    const auto light = BoardKind::LightBoard;
    const auto sixKey = BoardKind::SixKeyBoard;
    const int ids[kSlotCount] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xF1, 0xF2, 0x11, 0x12,
                                 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x20, 0xF3};
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const BoardKind kind = slot == 19 ? BoardKind::MainDimmerBoard : slot >= 9 ? sixKey : light;
        const bool cpu = slot == 7 || slot == 8 || slot == 19;
        QTest::addRow("slot %d", slot) << slot << ids[slot - 1] << int(kind) << cpu;
    }
}

void TestCodecs::boardTable()
{
    QFETCH(int, slot);
    QFETCH(int, busId);
    QFETCH(int, kind);
    QFETCH(bool, cpu);

    const BoardSlot &info = SlotInfo(slot);
    QCOMPARE(info.slot, slot);
    QCOMPARE(int(info.busId), busId);
    QCOMPARE(int(info.kind), kind);
    QCOMPARE(IsCpuBoard(slot), cpu);
    QCOMPARE(&BoardTable[size_t(slot - 1)], &info);
    QCOMPARE(FindSlotById(busId), slot);
}

void TestCodecs::findSlotById_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("slot");

    QTest::addRow("F3 is the main dimmer board, slot 19") << 0xF3 << 19;
    QTest::addRow("20 is slot 18") << 0x20 << 18;
    QTest::addRow("1A is in the gap") << 0x1A << -1;
    QTest::addRow("10 is no board") << 0x10 << -1;
    QTest::addRow("00 is no board") << 0x00 << -1;
    QTest::addRow("30 is no board") << 0x30 << -1;
    QTest::addRow("FF is no board") << 0xFF << -1;
    QTest::addRow("decimal 11 is not bus id 0x11") << 11 << -1;
    QTest::addRow("F3 as a signed char does not match") << -13 << -1;
}

void TestCodecs::findSlotById()
{
    QFETCH(int, value);
    QFETCH(int, slot);

    QCOMPARE(FindSlotById(value), slot);
}

void TestCodecs::slotInfoRejectsMissingSlots_data()
{
    QTest::addColumn<int>("slot");
    QTest::addRow("slot 0") << 0;
    QTest::addRow("slot 20") << 20;
    QTest::addRow("slot -1") << -1;
}

void TestCodecs::slotInfoRejectsMissingSlots()
{
    QFETCH(int, slot);
    QVERIFY_THROWS_EXCEPTION(KvtError, SlotInfo(slot));
    QVERIFY_THROWS_EXCEPTION(KvtError, IsCpuBoard(slot));
}

void TestCodecs::modbusRoute_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("relayModbus");
    QTest::addColumn<bool>("cpuModbus");
    QTest::addColumn<bool>("modbus");

    // The CPU boards F1, F2, F3 sit in slots 7, 8 and 19.
    const QSet<int> cpuSlots = {7, 8, 19};
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        for (const bool relay : {true, false}) {
            for (const bool cpu : {true, false}) {
                const bool modbus = relay && (cpu || !cpuSlots.contains(slot));
                QTest::addRow("slot %d, relay %s, cpu %s", slot, relay ? "on" : "off",
                              cpu ? "on" : "off")
                    << slot << relay << cpu << modbus;
            }
        }
    }
}

void TestCodecs::modbusRoute()
{
    QFETCH(int, slot);
    QFETCH(bool, relayModbus);
    QFETCH(bool, cpuModbus);
    QFETCH(bool, modbus);

    QCOMPARE(IsModbusRoute(slot, relayModbus, cpuModbus), modbus);
}

void TestCodecs::receivedLogLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");

    const QByteArray keyReply = Hex("48 0B 01 06 10 FF 0F 00 00 00 00 00 00 5A");
    const QByteArray dimmerReply = Hex("48 0B F3 06 20 0A 05 0F 0C 00 00 03 03 77");

    QTest::addRow("3: whole packet without separator")
        << BoardReplyLogLine(keyReply) << QStringLiteral("#>480B010610FF0F0000000000005A");
    QTest::addRow("3: short 'H' 02 packet")
        << BoardReplyLogLine(Hex("48 02 F3 00 F1")) << QStringLiteral("#>4802F300F1");
    QTest::addRow("3a: bus id 0x30") << UnknownBoardLogLine(0x30)
                                     << QStringLiteral("*** Error board_id = 48");
    QTest::addRow("3a: bus id 0x00") << UnknownBoardLogLine(0x00)
                                     << QStringLiteral("*** Error board_id = 0");
    QTest::addRow("3b: bus id 0x11") << KnownBoardLogLine(0x11)
                                     << QStringLiteral("*** board_id = 17");
    QTest::addRow("3b: bus id 0xF3 in decimal") << KnownBoardLogLine(0xF3)
                                                << QStringLiteral("*** board_id = 243");
    QTest::addRow("3b: bus id 0x01, no leading zero") << KnownBoardLogLine(0x01)
                                                      << QStringLiteral("*** board_id = 1");
    QTest::addRow("3c: bytes 4 to 8 of a key reply")
        << KeySettingsLogLine(0x01, 1, keyReply) << QStringLiteral("***board_id=1, 1, 10FF0F0000");
    QTest::addRow("3c: main dimmer board")
        << KeySettingsLogLine(0xF3, 19, dimmerReply)
        << QStringLiteral("***board_id=243, 19, 200A050F0C");
    QTest::addRow("4: 'H' 03 packet, no prefix")
        << OutputReplyLogLine(Hex("48 03 05 00 07")) << QStringLiteral("4803050007");
    QTest::addRow("4: zero bytes are logged")
        << OutputReplyLogLine(Hex("48 03 00 00 00")) << QStringLiteral("4803000000");
}

void TestCodecs::receivedLogLines()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);

    QCOMPARE(line, expected);
}

void TestCodecs::modbusReplyLogLine_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("line");

    QTest::addRow("function 3, reply's own CR LF before the fields")
        << QByteArray(":0103040001000AED\r\n") << 1 << 3 << 4 << Hex("00 01 00 0A")
        << QStringLiteral("-> :0103040001000AED\r\n, id = 1, func = 3, len = 4, 00 01 00 0A ");
    QTest::addRow("function 10 carries no data")
        << QByteArray(":011000090004E2\r\n") << 1 << 10 << 4 << QByteArray()
        << QStringLiteral("-> :011000090004E2\r\n, id = 1, func = 10, len = 4, ");
    QTest::addRow("exception 83 logs len = 0")
        << QByteArray(":0183027A\r\n") << 1 << 83 << 0 << QByteArray()
        << QStringLiteral("-> :0183027A\r\n, id = 1, func = 83, len = 0, ");
    QTest::addRow("main dimmer board id 243")
        << QByteArray(":F30308000000000000000002\r\n") << 243 << 3 << 8 << QByteArray(8, '\0')
        << QStringLiteral("-> :F30308000000000000000002\r\n, id = 243, func = 3, "
                          "len = 8, 00 00 00 00 00 00 00 00 ");
}

void TestCodecs::modbusReplyLogLine()
{
    QFETCH(QByteArray, received);
    QFETCH(int, id);
    QFETCH(int, function);
    QFETCH(int, length);
    QFETCH(QByteArray, data);
    QFETCH(QString, line);

    QCOMPARE(ModbusReplyLogLine(received, id, function, length, data), line);
}

QTEST_GUILESS_MAIN(TestCodecs)
#include "tst_codecs.moc"
