#include "link/telnetcodec.h"

#include <QtTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

} // namespace

class TestTelnetCodec : public QObject
{
    Q_OBJECT
private slots:
    void encodesData_data();
    void encodesData();
    void decodesData_data();
    void decodesData();
    void decodesEveryBlockSplit();
    void answersNegotiation_data();
    void answersNegotiation();
    void answersTerminalTypeRequest();
    void serverAndClientAgreeOnBinary();
    void survivesEndlessSubnegotiation();
};

void TestTelnetCodec::encodesData_data()
{
    QTest::addColumn<QByteArray>("negotiation"); // bytes the peer sent before
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("wire");

    QTest::addRow("FF doubled") << QByteArray() << Hex("4802FF00") << Hex("4802FFFF00");
    QTest::addRow("lone CR gets NUL") << QByteArray() << Hex("0D41") << Hex("0D0041");
    QTest::addRow("CR at block end gets NUL") << QByteArray() << Hex("410D") << Hex("410D00");
    QTest::addRow("CR LF unchanged") << QByteArray() << Hex("3A0D0A") << Hex("3A0D0A");
    QTest::addRow("CR CR LF") << QByteArray() << Hex("0D0D0A") << Hex("0D000D0A");
    QTest::addRow("FF CR") << QByteArray() << Hex("FF0D") << Hex("FFFF0D00");
    QTest::addRow("DO BINARY: lone CR raw, FF still doubled")
        << Hex("FFFD00") << Hex("0D41FF0D") << Hex("0D41FFFF0D");
    QTest::addRow("peer's WILL BINARY alone: we still send NVT")
        << Hex("FFFB00") << Hex("0D41") << Hex("0D0041");
    QTest::addRow("DO then DONT BINARY: NVT again")
        << Hex("FFFD00FFFE00") << Hex("0D41") << Hex("0D0041");
}

void TestTelnetCodec::encodesData()
{
    QFETCH(QByteArray, negotiation);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, wire);
    TelnetCodec codec;
    codec.decode(negotiation);
    QCOMPARE(codec.encode(data).toHex(' '), wire.toHex(' '));
}

void TestTelnetCodec::decodesData_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("data");

    QTest::addRow("plain") << Hex("48020500 07") << Hex("4802050007");
    QTest::addRow("FF FF is one FF") << Hex("48FFFF01") << Hex("48FF01");
    QTest::addRow("NOP removed") << Hex("41FFF142") << Hex("4142");
    QTest::addRow("negotiation removed") << Hex("41FFFB0142") << Hex("4142");
    QTest::addRow("CR NUL is CR") << Hex("410D0042") << Hex("410D42");
    QTest::addRow("CR LF unchanged") << Hex("3A0D0A") << Hex("3A0D0A");
    QTest::addRow("NUL not after CR kept") << Hex("00410042") << Hex("00410042");
    QTest::addRow("CR CR NUL") << Hex("0D0D00") << Hex("0D0D");
    QTest::addRow("WILL BINARY: CR NUL kept") << Hex("FFFB000D0041") << Hex("0D0041");
    QTest::addRow("WILL then WONT BINARY: CR NUL is CR")
        << Hex("FFFB00FFFC000D0041") << Hex("0D41");
}

void TestTelnetCodec::decodesData()
{
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, data);
    TelnetCodec codec;
    QCOMPARE(codec.decode(wire).data.toHex(' '), data.toHex(' '));
}

void TestTelnetCodec::decodesEveryBlockSplit()
{
    // IAC IAC, a command, and CR NUL cut at every position.
    const QByteArray wire = Hex("48FFFF0DFFF1000D0A0D00FF");
    const QByteArray expected = Hex("48FF0D0D0A0D");
    for (int cut = 0; cut <= wire.size(); ++cut) {
        TelnetCodec codec;
        QByteArray data = codec.decode(wire.left(cut)).data;
        data += codec.decode(wire.mid(cut)).data;
        QCOMPARE(data.toHex(' '), expected.toHex(' '));
    }
}

void TestTelnetCodec::answersNegotiation_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("sendsBinary");
    QTest::addColumn<bool>("receivesBinary");

    QTest::addRow("WILL BINARY -> DO") << Hex("FFFB00") << Hex("FFFD00") << false << true;
    QTest::addRow("DO BINARY -> WILL") << Hex("FFFD00") << Hex("FFFB00") << true << false;
    QTest::addRow("WILL ECHO -> DO") << Hex("FFFB01") << Hex("FFFD01") << false << false;
    QTest::addRow("WILL SGA -> DO") << Hex("FFFB03") << Hex("FFFD03") << false << false;
    QTest::addRow("DO TTYPE -> WILL") << Hex("FFFD18") << Hex("FFFB18") << false << false;
    QTest::addRow("DO SGA -> WONT") << Hex("FFFD03") << Hex("FFFC03") << false << false;
    QTest::addRow("DO ECHO -> WONT") << Hex("FFFD01") << Hex("FFFC01") << false << false;
    QTest::addRow("DO NAWS -> WONT") << Hex("FFFD1F") << Hex("FFFC1F") << false << false;
    QTest::addRow("WILL LINEMODE -> DONT") << Hex("FFFB22") << Hex("FFFE22") << false << false;
    QTest::addRow("WILL TTYPE -> DONT") << Hex("FFFB18") << Hex("FFFE18") << false << false;
    QTest::addRow("WONT of an option never on: silent") << Hex("FFFC01") << QByteArray() << false
                                                        << false;
    QTest::addRow("DONT of an option never on: silent") << Hex("FFFE01") << QByteArray() << false
                                                        << false;
    QTest::addRow("WILL then WONT BINARY")
        << Hex("FFFB00FFFC00") << Hex("FFFD00FFFE00") << false << false;
    QTest::addRow("DO then DONT BINARY")
        << Hex("FFFD00FFFE00") << Hex("FFFB00FFFC00") << false << false;
    QTest::addRow("repeated WILL BINARY answered once")
        << Hex("FFFB00FFFB00") << Hex("FFFD00") << false << true;
    // What a serial gateway sends when a client connects.
    QTest::addRow("gateway greeting")
        << Hex("FFFB03FFFD03FFFB01FFFE01FFFD00FFFB00")
        << Hex("FFFD03FFFC03FFFD01FFFB00FFFD00") << true << true;
}

void TestTelnetCodec::answersNegotiation()
{
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, answer);
    QFETCH(bool, sendsBinary);
    QFETCH(bool, receivesBinary);
    TelnetCodec codec;
    QCOMPARE(codec.start(), QByteArray()); // a client never starts a negotiation
    const TelnetCodec::Decoded decoded = codec.decode(wire);
    QCOMPARE(decoded.answer.toHex(' '), answer.toHex(' '));
    QVERIFY(decoded.data.isEmpty());
    QCOMPARE(codec.sendsBinary(), sendsBinary);
    QCOMPARE(codec.receivesBinary(), receivesBinary);
}

void TestTelnetCodec::answersTerminalTypeRequest()
{
    TelnetCodec codec;
    // DO TTYPE, then SB TTYPE SEND SE.
    const TelnetCodec::Decoded decoded = codec.decode(Hex("FFFD18FFFA1801FFF0"));
    QCOMPARE(decoded.answer.toHex(' '),
             (Hex("FFFB18FFFA1800") + "vt100" + Hex("FFF0")).toHex(' '));
}

void TestTelnetCodec::serverAndClientAgreeOnBinary()
{
    TelnetCodec server(TelnetCodec::Role::Server);
    TelnetCodec client(TelnetCodec::Role::Client);
    QByteArray toClient = server.start();
    QVERIFY(!toClient.isEmpty());
    // Let the two ends talk until neither has anything more to say.
    for (int round = 0; round < 10 && !toClient.isEmpty(); ++round) {
        const QByteArray toServer = client.decode(toClient).answer;
        toClient = server.decode(toServer).answer;
    }
    QVERIFY(toClient.isEmpty());
    QVERIFY(client.sendsBinary() && client.receivesBinary());
    QVERIFY(server.sendsBinary() && server.receivesBinary());

    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    all += Hex("0D000D0AFFFF0D");
    QCOMPARE(server.decode(client.encode(all)).data.toHex(), all.toHex());
    QCOMPARE(client.decode(server.encode(all)).data.toHex(), all.toHex());
}

void TestTelnetCodec::survivesEndlessSubnegotiation()
{
    TelnetCodec codec;
    // A peer that opens a subnegotiation and never ends it.
    codec.decode(Hex("FFFA18") + QByteArray(100000, 'A'));
    // The codec goes on: a later negotiation is still answered.
    QCOMPARE(codec.decode(Hex("FFF0FFFD00")).answer.toHex(' '), Hex("FFFB00").toHex(' '));
    QVERIFY(codec.sendsBinary());
}

QTEST_GUILESS_MAIN(TestTelnetCodec)
#include "tst_telnetcodec.moc"
