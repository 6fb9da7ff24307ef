// The reply value types: every field of Modbus replies and board replies as
// the packet rules deliver them, and what a broken reply says about itself.
// Check bytes and LRCs are computed by hand, not by our own encoders.
#include "protocol/boardreply.h"
#include "protocol/modbusreply.h"

#include <QtTest>

Q_DECLARE_METATYPE(ModbusReply::Error)
Q_DECLARE_METATYPE(BoardReply::Error)

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QString Byte(quint8 b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString Word(quint16 w)
{
    return QStringLiteral("%1").arg(w, 4, 16, QLatin1Char('0')).toUpper();
}

QString HexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// The values of a Modbus reply in one line, so a row states them all.
QString Values(const ModbusReply &r)
{
    const QString lrc = r.hasLrc() ? Byte(r.receivedLrc()) + (r.lrcMatches() ? QStringLiteral(" = ") : QStringLiteral(" != "))
            + Byte(r.computedLrc())
                                   : QStringLiteral("-");
    return QStringLiteral("address %1 function %2 exception %3 count %4 data %5 start %6 registers %7 LRC %8")
        .arg(Byte(r.address()), Byte(r.function()), Byte(r.exceptionCode()))
        .arg(r.byteCount())
        .arg(HexText(r.data()), Word(r.startRegister()), Word(r.registerCount()), lrc);
}

QString Values(const BoardReply &r)
{
    const QString id = r.hasBusId() ? Byte(r.busId()) : QStringLiteral("-");
    const QString check =
        r.hasCheckByte() ? Byte(r.receivedCheck()) + QLatin1Char('/') + Byte(r.computedCheck()) : QStringLiteral("-");
    return QStringLiteral("length %1 id %2 code %3 key settings %4 key %5 pairs %6 payload %7 check %8")
        .arg(Byte(r.lengthByte()), id, Byte(r.code()), r.isKeySettings() ? QStringLiteral("yes") : QStringLiteral("no"),
             Byte(r.keyByte()), HexText(r.pairs()), HexText(r.payloadAfterId()), check);
}

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void modbusReply_data();
    void modbusReply();
    void modbusDataAsCounted_data();
    void modbusDataAsCounted();
    void boardReply_data();
    void boardReply();
};

void TestReplies::modbusReply_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<ModbusReply::Error>("error");
    // id, function, count (offsets 5-6), register count (offsets 9-12)
    QTest::addColumn<QByteArrayList>("texts");
    QTest::addColumn<QString>("values");
    using E = ModbusReply::Error;

    QTest::addRow("read of 8 bytes from 01")
        << QByteArray(":0103080301030203040308D9\r\n") << E::None << QByteArrayList{"01", "03", "08", "0103"}
        << "address 01 function 03 exception 00 count 8 data 0301030203040308 start 0000 registers 0000 LRC D9 = D9";
    QTest::addRow("read of 4 bytes from F3, high bytes above 7F")
        << QByteArray(":F303041122AABB6E\r\n") << E::None << QByteArrayList{"F3", "03", "04", "22AA"}
        << "address F3 function 03 exception 00 count 4 data 1122AABB start 0000 registers 0000 LRC 6E = 6E";
    QTest::addRow("read in lower-case digits")
        << QByteArray(":a10304a1b2c3d46e\r\n") << E::None << QByteArrayList{"a1", "03", "04", "b2c3"}
        << "address A1 function 03 exception 00 count 4 data A1B2C3D4 start 0000 registers 0000 LRC 6E = 6E";
    QTest::addRow("write echo from 12: register 0009, 4 registers")
        << QByteArray(":121000090004D1\r\n") << E::None << QByteArrayList{"12", "10", "00", "0004"}
        << "address 12 function 10 exception 00 count 0 data  start 0009 registers 0004 LRC D1 = D1";
    QTest::addRow("exception 83, code 03, from 05")
        << QByteArray(":05830375\r\n") << E::None << QByteArrayList{"05", "83", "03", "\r\n"}
        << "address 05 function 83 exception 03 count 0 data  start 0000 registers 0000 LRC 75 = 75";
    QTest::addRow("exception 90, code 02, from 11")
        << QByteArray(":1190025D\r\n") << E::None << QByteArrayList{"11", "90", "02", "\r\n"}
        << "address 11 function 90 exception 02 count 0 data  start 0000 registers 0000 LRC 5D = 5D";

    QTest::addRow("bad LRC: every field still read")
        << QByteArray(":0103080301030203040308DA\r\n") << E::BadLrc << QByteArrayList{"01", "03", "08", "0103"}
        << "address 01 function 03 exception 00 count 8 data 0301030203040308 start 0000 registers 0000 LRC DA != D9";
    QTest::addRow("one data digit altered: the LRC tells")
        << QByteArray(":0103080301030203040309D9\r\n") << E::BadLrc << QByteArrayList{"01", "03", "08", "0103"}
        << "address 01 function 03 exception 00 count 8 data 0301030203040309 start 0000 registers 0000 LRC D9 != D8";
    QTest::addRow("truncated data: count 8, two bytes, LRC of what came")
        << QByteArray(":010308AABB8F\r\n") << E::Truncated << QByteArrayList{"01", "03", "08", "BB8F"}
        << "address 01 function 03 exception 00 count 8 data AABB start 0000 registers 0000 LRC 8F = 8F";
    QTest::addRow("more data than the count")
        << QByteArray(":0103080301030203040308AA2F\r\n") << E::TooLong << QByteArrayList{"01", "03", "08", "0103"}
        << "address 01 function 03 exception 00 count 8 data 0301030203040308 start 0000 registers 0000 LRC 2F = 2F";
    QTest::addRow("write echo without its register count")
        << QByteArray(":12100009D5\r\n") << E::Truncated << QByteArrayList{"12", "10", "00", "D5\r\n"}
        << "address 12 function 10 exception 00 count 0 data  start 0000 registers 0000 LRC D5 = D5";
    QTest::addRow("address and function only") << QByteArray(":0103\r\n") << E::Truncated
        << QByteArrayList{"01", "03", "\r\n", ""}
        << "address 01 function 03 exception 00 count 0 data  start 0000 registers 0000 LRC -";
    QTest::addRow("nothing after the colon") << QByteArray(":\r\n") << E::Truncated
        << QByteArrayList{"\r\n", "", "", ""}
        << "address 00 function 00 exception 00 count 0 data  start 0000 registers 0000 LRC -";
    QTest::addRow("letter G in the data") << QByteArray(":0103080301030203040G08D9\r\n") << E::NotHex
        << QByteArrayList{"01", "03", "08", "0103"}
        << "address 00 function 00 exception 00 count 0 data  start 0000 registers 0000 LRC -";
    QTest::addRow("control character in the id (a corrupted byte)")
        << QByteArray(":\x11" "103080301030203040308D9\r\n") << E::NotHex
        << QByteArrayList{"\x11" "1", "03", "08", "0103"}
        << "address 00 function 00 exception 00 count 0 data  start 0000 registers 0000 LRC -";
    QTest::addRow("odd number of digits") << QByteArray(":05830375F\r\n") << E::NotHex
        << QByteArrayList{"05", "83", "03", "F\r\n"}
        << "address 00 function 00 exception 00 count 0 data  start 0000 registers 0000 LRC -";
    QTest::addRow("no line end") << QByteArray(":05830375") << E::NotFramed << QByteArrayList{"05", "83", "03", ""}
        << "address 00 function 00 exception 00 count 0 data  start 0000 registers 0000 LRC -";
    QTest::addRow("empty packet") << QByteArray() << E::NotFramed << QByteArrayList{"", "", "", ""}
        << "address 00 function 00 exception 00 count 0 data  start 0000 registers 0000 LRC -";
}

void TestReplies::modbusReply()
{
    QFETCH(QByteArray, packet);
    QFETCH(ModbusReply::Error, error);
    QFETCH(QByteArrayList, texts);
    QFETCH(QString, values);

    const ModbusReply reply = ModbusReply::parse(packet);

    QCOMPARE(reply.error(), error);
    QCOMPARE(reply.isValid(), error == ModbusReply::Error::None);
    QCOMPARE((QByteArrayList{reply.idText(), reply.functionText(), reply.countText(), reply.registerCountText()}),
             texts);
    QCOMPARE(Values(reply), values);
}

void TestReplies::modbusDataAsCounted_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("data");

    QTest::addRow("count 8 of a whole reply") << QByteArray(":0103080301030203040308D9\r\n") << 8
                                              << Hex("0301030203040308");
    QTest::addRow("count 4 of 8 bytes: the first four") << QByteArray(":0103080301030203040308D9\r\n") << 4
                                                        << Hex("03010302");
    QTest::addRow("short data: LRC and CR LF read as data") << QByteArray(":010308AABB8F\r\n") << 8
                                                           << Hex("AABB8F00");
    QTest::addRow("count beyond the packet stops at its end") << QByteArray(":010308AABB8F\r\n") << 99
                                                              << Hex("AABB8F00");
    QTest::addRow("count 0") << QByteArray(":010300D9\r\n") << 0 << QByteArray();
    QTest::addRow("packet ending before the data") << QByteArray(":0103") << 8 << QByteArray();
}

void TestReplies::modbusDataAsCounted()
{
    QFETCH(QByteArray, packet);
    QFETCH(int, count);
    QFETCH(QByteArray, data);

    QCOMPARE(ModbusReply::parse(packet).dataAsCounted(count).toHex(' '), data.toHex(' '));
}

void TestReplies::boardReply_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<BoardReply::Error>("error");
    QTest::addColumn<QString>("values");
    using E = BoardReply::Error;

    QTest::addRow("48 0B from 01: key settings")
        << Hex("480B010610FF0F000000000000EC") << E::None
        << "length 0B id 01 code 06 key settings yes key 10 pairs FF0F000000000000 payload 0610FF0F000000000000 "
           "check EC/EC";
    QTest::addRow("48 0B from 11, bank 8 code 0E: key settings")
        << Hex("480B110E30010102020404080824") << E::None
        << "length 0B id 11 code 0E key settings yes key 30 pairs 0101020204040808 payload 0E300101020204040808 "
           "check 24/24";
    QTest::addRow("48 0B code 05: not key settings")
        << Hex("480B010510FF0F000000000000EF") << E::None
        << "length 0B id 01 code 05 key settings no key 10 pairs FF0F000000000000 payload 0510FF0F000000000000 "
           "check EF/EF";
    QTest::addRow("48 0B bad XOR: every field still read")
        << Hex("480B010610FF0F00000000000077") << E::BadXor
        << "length 0B id 01 code 06 key settings yes key 10 pairs FF0F000000000000 payload 0610FF0F000000000000 "
           "check 77/EC";
    QTest::addRow("48 0B one pattern bit flipped: the XOR tells")
        << Hex("480B010610FF0E000000000000EC") << E::BadXor
        << "length 0B id 01 code 06 key settings yes key 10 pairs FF0E000000000000 payload 0610FF0E000000000000 "
           "check EC/ED";
    QTest::addRow("48 0B cut at 7") << Hex("480B010610FF0F") << E::Truncated
                                    << "length 0B id 01 code 06 key settings no key 00 pairs  payload 0610FF0F check -";
    QTest::addRow("48 02 from F3") << Hex("4802F301F0") << E::None
                                   << "length 02 id F3 code 01 key settings no key 00 pairs  payload 01 check F0/F0";
    QTest::addRow("48 02 bad XOR") << Hex("4802F30102") << E::BadXor
                                   << "length 02 id F3 code 01 key settings no key 00 pairs  payload 01 check 02/F0";
    QTest::addRow("48 02 cut at 4") << Hex("4802F301") << E::Truncated
                                    << "length 02 id F3 code 01 key settings no key 00 pairs  payload 01 check -";
    QTest::addRow("48 02 one byte too many") << Hex("4802F301F000") << E::TooLong
                                             << "length 02 id F3 code 01 key settings no key 00 pairs  payload 01 "
                                                "check F0/F0";
    QTest::addRow("48 03: the check byte is not delivered") << Hex("4803010203") << E::None
        << "length 03 id 01 code 02 key settings no key 00 pairs  payload 0203 check -";
    QTest::addRow("48 alone") << Hex("48") << E::Truncated
                              << "length 00 id - code 00 key settings no key 00 pairs  payload  check -";
    QTest::addRow("48 0B without the id") << Hex("480B") << E::Truncated
                                          << "length 0B id - code 00 key settings no key 00 pairs  payload  check -";
    QTest::addRow("not starting with 48") << Hex("3A0B010610") << E::NotBoardFrame
                                          << "length 00 id - code 00 key settings no key 00 pairs  payload  check -";
    QTest::addRow("empty") << QByteArray() << E::NotBoardFrame
                           << "length 00 id - code 00 key settings no key 00 pairs  payload  check -";
}

void TestReplies::boardReply()
{
    QFETCH(QByteArray, packet);
    QFETCH(BoardReply::Error, error);
    QFETCH(QString, values);

    const BoardReply reply = BoardReply::parse(packet);

    QCOMPARE(reply.error(), error);
    QCOMPARE(reply.isValid(), error == BoardReply::Error::None);
    QCOMPARE(Values(reply), values);
}

QTEST_MAIN(TestReplies)
#include "tst_replies.moc"
