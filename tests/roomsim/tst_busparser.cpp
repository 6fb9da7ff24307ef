#include "roomsim/busparser.h"

#include <QtTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text)); // spaces are skipped
}

QByteArray Text(const char *text)
{
    return QByteArray(text) + "\r\n";
}

QList<QByteArray> Wires(const std::vector<BusFrame> &frames)
{
    QList<QByteArray> wires;
    for (const BusFrame &f : frames)
        wires.append(f.wire);
    return wires;
}

} // namespace

class TestBusParser : public QObject
{
    Q_OBJECT

private slots:
    void recognisesFramesInAnySplit_data();
    void recognisesFramesInAnySplit();
    void payloadsWithoutEnvelope();
    void quietLineGivesUpAHalfFrame();
};

void TestBusParser::recognisesFramesInAnySplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QByteArray>>("frames");

    const QByteArray liveOutput = Hex("480405030FAAA7"); // check 04^05^03^0F^AA
    const QByteArray keyRead = Hex("4803010630 34");
    const QByteArray scanText = Text(":010300010004F7");
    const QByteArray readText = Text(":010300090004EF");

    QTest::addRow("board frame alone") << liveOutput << QList<QByteArray> {liveOutput};
    QTest::addRow("empty board frame 48 00 00") << Hex("480000") << QList<QByteArray> {Hex("480000")};
    QTest::addRow("noise before a board frame") << Hex("0102FF") + liveOutput << QList<QByteArray> {liveOutput};
    QTest::addRow("bad check byte ignored") << Hex("480405030FAAA6") << QList<QByteArray> {};
    QTest::addRow("bad check then a good frame")
        << Hex("480405030FAAA6") + liveOutput << QList<QByteArray> {liveOutput};
    QTest::addRow("48 48 03: frame starts at the second 48")
        << Hex("48") + keyRead << QList<QByteArray> {keyRead};
    QTest::addRow("Modbus text") << scanText << QList<QByteArray> {scanText};
    QTest::addRow("Modbus text with lower-case digits")
        << Text(":010300090004ef") << QList<QByteArray> {Text(":010300090004ef")};
    QTest::addRow("Modbus with bad LRC ignored") << Text(":010300010004F6") << QList<QByteArray> {};
    QTest::addRow("second colon restarts the text")
        << QByteArray(":0103") + scanText << QList<QByteArray> {scanText};
    QTest::addRow("CR without LF breaks the text")
        << QByteArray(":010300010004F7\rX") + readText << QList<QByteArray> {readText};
    QTest::addRow("odd number of digits ignored") << Text(":010300010004F") << QList<QByteArray> {};
    QTest::addRow("too short to hold address, function, LRC") << Text(":01FF") << QList<QByteArray> {};
    QTest::addRow("board frame then Modbus then board frame")
        << liveOutput + scanText + keyRead << QList<QByteArray> {liveOutput, scanText, keyRead};
    QTest::addRow("board frame inside Modbus text breaks the text")
        << QByteArray(":0103") + liveOutput + readText << QList<QByteArray> {liveOutput, readText};
    QTest::addRow("payload holding 48 and 3A stays one frame")
        << Hex("480B010400 483A483A483A483A 0E") << QList<QByteArray> {Hex("480B010400483A483A483A483A0E")};
    QTest::addRow("length above any board request is noise")
        << Hex("48FF") + liveOutput << QList<QByteArray> {liveOutput};
}

void TestBusParser::recognisesFramesInAnySplit()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<QByteArray>, frames);

    // The line may deliver the bytes in any pieces; the frames found must not
    // depend on it.
    for (int piece : {0, 1, 2, 5}) {
        BusParser parser;
        std::vector<BusFrame> found;
        if (piece == 0) {
            found = parser.feed(stream);
        } else {
            for (int at = 0; at < stream.size(); at += piece) {
                const auto part = parser.feed(stream.mid(at, piece));
                found.insert(found.end(), part.begin(), part.end());
            }
        }
        QCOMPARE(Wires(found), frames);
    }
}

void TestBusParser::payloadsWithoutEnvelope()
{
    BusParser parser;
    const auto frames = parser.feed(Hex("480405030FAAA7") + Text(":010300090004EF"));
    QCOMPARE(frames.size(), size_t(2));
    QCOMPARE(frames[0].kind, BusFrame::Kind::Board);
    QCOMPARE(frames[0].payload, Hex("05030FAA"));
    QCOMPARE(frames[1].kind, BusFrame::Kind::Modbus);
    QCOMPARE(frames[1].payload, Hex("010300090004"));
    QVERIFY(parser.pending().isEmpty());
}

void TestBusParser::quietLineGivesUpAHalfFrame()
{
    // A stray 'H' with a plausible length holds the request behind it until
    // the line goes quiet; then the request is served.
    BusParser parser;
    const QByteArray request = Hex("480405030FAAA7");
    QVERIFY(parser.feed(Hex("4820") + request).empty());
    QVERIFY(!parser.pending().isEmpty());
    QCOMPARE(Wires(parser.flush()), QList<QByteArray> {request});
    QVERIFY(parser.pending().isEmpty());

    // A half Modbus text is dropped at the quiet time, and what follows later
    // is read afresh.
    QVERIFY(parser.feed(":0103").empty());
    QVERIFY(parser.flush().empty());
    QCOMPARE(Wires(parser.feed(request)), QList<QByteArray> {request});
}

QTEST_GUILESS_MAIN(TestBusParser)
#include "tst_busparser.moc"
