#include "link/telnetcodec.h"
#include "telnetscripts.h"

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
    void readsStraySequencesAlikeInEverySplit_data();
    void readsStraySequencesAlikeInEverySplit();
    void backToBackEndsStopAnswering_data();
    void backToBackEndsStopAnswering();
    void fuzzFindingsHold_data();
    void fuzzFindingsHold();
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
    TelnetCodec bytewise;
    QByteArray got;
    for (const char byte : wire)
        got += bytewise.decode(QByteArray(1, byte)).data;
    QCOMPARE(got.toHex(' '), data.toHex(' '));
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

namespace {

// Decodes the wire whole, one byte at a time and (when short) cut in two at
// every place; the result, or "split differs" with a warning that shows how.
TelnetCodec::Decoded DecodeInEverySplit(TelnetCodec::Role role, const QByteArray &wire)
{
    auto run = [&](const QList<QByteArray> &blocks) {
        TelnetCodec codec(role);
        codec.start();
        TelnetCodec::Decoded all;
        for (const QByteArray &block : blocks) {
            const TelnetCodec::Decoded part = codec.decode(block);
            all.data += part.data;
            all.answer += part.answer;
        }
        return all;
    };
    const TelnetCodec::Decoded whole = run({wire});
    QList<QByteArray> bytes;
    for (const char byte : wire)
        bytes.append(QByteArray(1, byte));
    QList<QList<QByteArray>> splits {bytes};
    for (int cut = 1; cut < wire.size() && wire.size() <= 64; ++cut)
        splits.append({wire.left(cut), wire.mid(cut)});
    for (const QList<QByteArray> &blocks : splits) {
        const TelnetCodec::Decoded split = run(blocks);
        if (split.data != whole.data || split.answer != whole.answer) {
            qWarning("split %d blocks: data %s answer %s; whole: data %s answer %s",
                     int(blocks.size()), split.data.toHex(' ').constData(),
                     split.answer.toHex(' ').constData(), whole.data.toHex(' ').constData(),
                     whole.answer.toHex(' ').constData());
            return {QByteArray("split differs"), QByteArray("split differs")};
        }
    }
    return whole;
}

} // namespace

void TestTelnetCodec::readsStraySequencesAlikeInEverySplit_data()
{
    QTest::addColumn<bool>("server"); // the codec in the server role, after start()
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("answer");

    QTest::addRow("COMPRESS2 marker cut by IAC 'a': no decompression, 'da' is data")
        << true << Hex("FFFA56FF616461FF") << Hex("6461") << QByteArray();
    QTest::addRow("subnegotiation cut by IAC E7, then COMPRESS2 bytes as data")
        << false << Hex("FFFA2701FFE7FA56FF0DFFFFFF") << Hex("FA56FF") << QByteArray();
    QTest::addRow("COMPRESS2 start marker never agreed: later bytes read plain")
        << false << Hex("FFFA56FFF0410D0042FFFF") << Hex("410D42FF") << QByteArray();
    QTest::addRow("peer's WILL COMPRESS2 refused, its marker ignored")
        << false << Hex("FFFB56FFFA56FFF04142") << Hex("4142") << Hex("FFFE56");
    QTest::addRow("unterminated subnegotiation ends at IAC DO, which is answered")
        << false << Hex("FFFA184142FFFD0043") << Hex("43") << Hex("FFFB00");
    QTest::addRow("subnegotiation holding IAC IAC and CR NUL stays out of the data")
        << false << Hex("FFFA18FFFF0D00FFF042") << Hex("42") << QByteArray();
    QTest::addRow("terminal-type request without DO TERMINAL-TYPE: not answered")
        << false << Hex("FFFA1801FFF0") << QByteArray() << QByteArray();
    QTest::addRow("terminal-type request cut short: not answered")
        << false << Hex("FFFD18FFFA1801FFF141") << Hex("41") << Hex("FFFB18");
    QTest::addRow("CR, a command, NUL: still CR")
        << false << Hex("0DFFF10041") << Hex("0D41") << QByteArray();
    QTest::addRow("server: client agrees, then data")
        << true << Hex("FFFD00FFFB00FFFE030D00") << Hex("0D00") << QByteArray();
    QByteArray longSub = Hex("FFFA18") + QByteArray(20000, 'A') + Hex("FFF042");
    QTest::addRow("overlong subnegotiation: nothing of it becomes data")
        << false << longSub << Hex("42") << QByteArray();
}

void TestTelnetCodec::readsStraySequencesAlikeInEverySplit()
{
    QFETCH(bool, server);
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, answer);
    const auto role = server ? TelnetCodec::Role::Server : TelnetCodec::Role::Client;
    const TelnetCodec::Decoded decoded = DecodeInEverySplit(role, wire);
    QCOMPARE(decoded.data.toHex(' '), data.toHex(' '));
    QCOMPARE(decoded.answer.toHex(' '), answer.toHex(' '));
}

void TestTelnetCodec::backToBackEndsStopAnswering_data()
{
    QTest::addColumn<bool>("farIsServer");
    QTest::addColumn<bool>("towardClient"); // which wire the stray bytes are put on
    QTest::addColumn<QByteArray>("stray");

    const QByteArray dontDo = Hex("FFFE00FFFD00");
    const QByteArray wontWill = Hex("FFFC00FFFB00");
    QTest::addRow("DONT DO BINARY to a client from a server") << true << true << dontDo;
    QTest::addRow("DONT DO BINARY to a server from a client") << true << false << dontDo;
    QTest::addRow("WONT WILL BINARY to a client from a server") << true << true << wontWill;
    QTest::addRow("WONT WILL BINARY to a server from a client") << true << false << wontWill;
    QTest::addRow("DONT DO BINARY between two clients") << false << true << dontDo;
    QTest::addRow("DONT DO DONT DO BINARY to a client") << true << true << dontDo + dontDo;
    QTest::addRow("DONT DO SGA to a server") << true << false << Hex("FFFE03FFFD03");
}

void TestTelnetCodec::backToBackEndsStopAnswering()
{
    QFETCH(bool, farIsServer);
    QFETCH(bool, towardClient);
    QFETCH(QByteArray, stray);
    TelnetCodec client(TelnetCodec::Role::Client);
    TelnetCodec far(farIsServer ? TelnetCodec::Role::Server : TelnetCodec::Role::Client);
    QByteArray toClient = far.start();
    QByteArray toFar = client.start();
    (towardClient ? toClient : toFar) += stray;

    // Every answer is a three-byte negotiation here; count them per end.
    int clientAnswers = 0;
    int farAnswers = 0;
    int round = 0;
    for (; round < 100 && !(toClient.isEmpty() && toFar.isEmpty()); ++round) {
        const QByteArray fromClient = client.decode(std::exchange(toClient, {})).answer;
        const QByteArray fromFar = far.decode(std::exchange(toFar, {})).answer;
        clientAnswers += int(fromClient.size() / 3);
        farAnswers += int(fromFar.size() / 3);
        toFar += fromClient;
        toClient += fromFar;
    }
    QVERIFY2(toClient.isEmpty() && toFar.isEmpty(), "the two ends answer each other without end");
    // The replies to the far end's offers and to the stray requests, and a
    // few more while the ends are out of phase: not one per round forever.
    QVERIFY2(clientAnswers <= 12, qPrintable(QString::number(clientAnswers)));
    QVERIFY2(farAnswers <= 12, qPrintable(QString::number(farAnswers)));
    // Quiet, they agree on BINARY both ways and data cross unchanged.
    QCOMPARE(client.sendsBinary(), far.receivesBinary());
    QCOMPARE(far.sendsBinary(), client.receivesBinary());
    const QByteArray data = Hex("480D0041FF0D0A0D");
    QCOMPARE(far.decode(client.encode(data)).data.toHex(' '), data.toHex(' '));
    QCOMPARE(client.decode(far.encode(data)).data.toHex(' '), data.toHex(' '));
}

void TestTelnetCodec::fuzzFindingsHold_data()
{
    // Inputs of the Telnet fuzz target: "splits" is one codec's wire (byte 0:
    // the role), "pair" a script of two ends back to back (see telnetscripts.h).
    QTest::addColumn<bool>("pair");
    QTest::addColumn<QByteArray>("input");

    QTest::addRow("server reads an unagreed COMPRESS2 marker cut by IAC")
        << false << Hex("01 FFFA56FF616461FF");
    QTest::addRow("client reads a cut subnegotiation and COMPRESS2 bytes")
        << false << Hex("00 FFFA2701FFE7FA56FF0DFFFFFF");
    QTest::addRow("client writes W, server answers CR '-' while BINARY is agreed")
        << true << Hex("01 00 57 2D 0D 2D");
    QTest::addRow("stray requests, CR NUL both ways while BINARY is agreed")
        << true
        << Hex("31 02 00 FF 00 02 00 FF FD 00 FF 61 62 0D 00 63 0D 0A FF FF FA 18 01 FF F0 61 62 1D "
               "00 63 0D 0A");
    QTest::addRow("stray DONT DO BINARY to the client makes no endless answers")
        << true << Hex("01 06 03 00 06 02 00 04 0D 41 05 0D 42");
    // A forged WONT BINARY reaches the client while the server still sends
    // BINARY: the server's lone CR leaves the client waiting for a NUL; the
    // check after settling must not take the next NUL for the codecs' fault.
    QTest::addRow("stray WONT BINARY to the client, server writes a lone CR")
        << true << Hex("03 FF FB 00 48 FB 0E FD 00 11 0D");
}

void TestTelnetCodec::fuzzFindingsHold()
{
    QFETCH(bool, pair);
    QFETCH(QByteArray, input);
    const QString failure = pair ? CheckTelnetPair(input) : CheckTelnetSplits(input);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
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
