#include "recordingerrorreporter.h"

#include "link/packetassembler.h"
#include "protocol/kvterror.h"

#include <QtTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// A 14-byte board reply 48 0B + 12 bytes.
QByteArray BoardReply(char fill)
{
    return Hex("480B") + QByteArray(12, fill);
}

const QByteArray kModbusReply = QByteArray(":0103040001000AED\r\n");

// Records what each rule delivers as "rule hex".
struct Fixture
{
    RecordingErrorReporter reporter;
    qint64 nowMs = 0;
    PacketAssembler assembler{&reporter, [this] { return nowMs; }};
    QStringList delivered;

    Fixture()
    {
        for (int rule = 1; rule <= kPacketRuleCount; ++rule)
            assembler.setHandler(rule, [this, rule](const QByteArray &packet) {
                delivered << QString::number(rule) + QLatin1Char(' ') + QString::fromLatin1(packet.toHex());
            });
    }
};

QString Packet(int rule, const QByteArray &bytes)
{
    return QString::number(rule) + QLatin1Char(' ') + QString::fromLatin1(bytes.toHex());
}

} // namespace

class TestPacketAssembler : public QObject
{
    Q_OBJECT
private slots:
    void deliversInAnySplit_data();
    void deliversInAnySplit();
    void followsArrivals_data();
    void followsArrivals();
    void handlerSeesNoNestedDelivery();
    void handlerErrorIsReportedAndAssemblyGoesOn();
    void resetInsideHandlerDropsTheRest();
    void resetPutsCollectingRuleBackToWaiting();
    void timesOut_data();
    void timesOut();
    void keepsNothingOfGarbage();
    void boundsAnEndlessModbusText();
};

void TestPacketAssembler::deliversInAnySplit_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("packets");

    const QByteArray board = BoardReply('\x11');
    QTest::addRow("leading bytes dropped") << Hex("0102") + board << QStringList{Packet(1, board)};
    QTest::addRow("48 48 0B starts at second 48")
        << Hex("48") + board << QStringList{Packet(1, board)};
    QTest::addRow("48 02 reply") << Hex("4802050007") << QStringList{Packet(2, Hex("4802050007"))};
    QTest::addRow("48 03 six bytes: first five delivered")
        << Hex("480305000701") << QStringList{Packet(4, Hex("4803050007"))};
    QTest::addRow("Modbus reply whole") << kModbusReply << QStringList{Packet(3, kModbusReply)};
    QTest::addRow("':' and CR LF inside a board reply")
        << Hex("480B3A0D0A480B0000FF003A0D0A") + kModbusReply
        << QStringList{Packet(1, Hex("480B3A0D0A480B0000FF003A0D0A")), Packet(3, kModbusReply)};
    QTest::addRow("false start 48 0C") << Hex("480C4802050007") << QStringList{Packet(2, Hex("4802050007"))};
    QTest::addRow("Modbus text from the first ':'")
        << QByteArray("x::A\r\n") << QStringList{Packet(3, "::A\r\n")};
    QTest::addRow("CR alone does not end Modbus text")
        << QByteArray(":01\r02\n03\r\n") << QStringList{Packet(3, ":01\r02\n03\r\n")};
    QTest::addRow("board, short, live in a row")
        << board + Hex("4802010203") + Hex("4803040506")
        << QStringList{Packet(1, board), Packet(2, Hex("4802010203")), Packet(4, Hex("4803040506"))};
    QTest::addRow("noise only") << Hex("00FF0B0203480A0D0A") << QStringList{};
}

// Every cut into two arrivals, and one byte per arrival.
void TestPacketAssembler::deliversInAnySplit()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, packets);
    for (int cut = 0; cut <= stream.size(); ++cut) {
        Fixture f;
        f.assembler.append(stream.left(cut));
        f.assembler.append(stream.mid(cut));
        QVERIFY2(f.delivered == packets, qPrintable(QStringLiteral("cut at %1: %2")
                                                        .arg(cut)
                                                        .arg(f.delivered.join(QLatin1Char('|')))));
        QCOMPARE(f.assembler.collectingRule(), 0);
    }
    Fixture f;
    for (char byte : stream)
        f.assembler.append(QByteArray(1, byte));
    QCOMPARE(f.delivered, packets);
}

void TestPacketAssembler::followsArrivals_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals");
    QTest::addColumn<QStringList>("packets");

    const QByteArray board = BoardReply('\x22');
    QTest::addRow("Modbus then board in one read: board wins, text dropped")
        << QList<QByteArray>{kModbusReply + board} << QStringList{Packet(1, board)};
    QTest::addRow("Modbus then short reply in one read: rule 2 wins")
        << QList<QByteArray>{kModbusReply + Hex("4802010203")}
        << QStringList{Packet(2, Hex("4802010203"))};
    QTest::addRow("Modbus then board in two reads: both")
        << QList<QByteArray>{kModbusReply, board}
        << QStringList{Packet(3, kModbusReply), Packet(1, board)};
    QTest::addRow("':' collecting swallows a later board reply")
        << QList<QByteArray>{QByteArray(":01"), board + "\r\n"}
        << QStringList{Packet(3, ":01" + board + "\r\n")};
    QTest::addRow("board found after a ':' in the same read")
        << QList<QByteArray>{":01" + board + "\r\n"} << QStringList{Packet(1, board)};
    QTest::addRow("text between two board replies in one read dropped")
        << QList<QByteArray>{board + kModbusReply + BoardReply('\x33')}
        << QStringList{Packet(1, board), Packet(1, BoardReply('\x33'))};
    QTest::addRow("four kinds in one read: the earlier rule wins")
        << QList<QByteArray>{board + kModbusReply + Hex("4802010203") + Hex("4803040506")}
        << QStringList{Packet(1, board), Packet(2, Hex("4802010203")), Packet(4, Hex("4803040506"))};
    QTest::addRow("four kinds in separate reads: all")
        << QList<QByteArray>{Hex("4803040506"), kModbusReply, Hex("4802010203"), board}
        << QStringList{Packet(4, Hex("4803040506")), Packet(3, kModbusReply),
                       Packet(2, Hex("4802010203")), Packet(1, board)};
    QTest::addRow("live reply then board in one read: live dropped")
        << QList<QByteArray>{Hex("480305000701") + board} << QStringList{Packet(1, board)};
}

void TestPacketAssembler::followsArrivals()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(QStringList, packets);
    Fixture f;
    for (const QByteArray &bytes : arrivals)
        f.assembler.append(bytes);
    QCOMPARE(f.delivered, packets);
}

void TestPacketAssembler::handlerSeesNoNestedDelivery()
{
    Fixture f;
    int depth = 0;
    int maxDepth = 0;
    const QByteArray second = BoardReply('\x02');
    f.assembler.setHandler(1, [&](const QByteArray &packet) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        f.delivered << Packet(1, packet);
        // The handler processes events and more bytes arrive meanwhile.
        if (packet == BoardReply('\x01'))
            f.assembler.append(second + kModbusReply);
        f.delivered << QStringLiteral("end");
        --depth;
    });
    f.assembler.append(BoardReply('\x01'));
    QCOMPARE(maxDepth, 1);
    QCOMPARE(f.delivered, (QStringList{Packet(1, BoardReply('\x01')), QStringLiteral("end"),
                                       Packet(1, second), QStringLiteral("end"),
                                       Packet(3, kModbusReply)}));
}

void TestPacketAssembler::handlerErrorIsReportedAndAssemblyGoesOn()
{
    Fixture f;
    f.assembler.setHandler(3, [](const QByteArray &) { throw KvtError(QStringLiteral("bad reply")); });
    f.assembler.append(kModbusReply + Hex("4803010203"));
    f.assembler.append(Hex("4802010203"));
    QCOMPARE(f.reporter.errors(), QStringList{QStringLiteral("bad reply")});
    QCOMPARE(f.delivered, (QStringList{Packet(4, Hex("4803010203")), Packet(2, Hex("4802010203"))}));
}

void TestPacketAssembler::resetInsideHandlerDropsTheRest()
{
    Fixture f;
    f.assembler.setHandler(2, [&](const QByteArray &packet) {
        f.delivered << Packet(2, packet);
        f.assembler.reset(); // the handler closes the link
    });
    f.assembler.append(Hex("4802010203") + Hex("4803040506"));
    QCOMPARE(f.delivered, QStringList{Packet(2, Hex("4802010203"))});
    QCOMPARE(f.assembler.bufferedBytes(), 0);
    f.assembler.append(Hex("4803070809"));
    QCOMPARE(f.delivered.last(), Packet(4, Hex("4803070809")));
}

void TestPacketAssembler::resetPutsCollectingRuleBackToWaiting()
{
    Fixture f;
    f.assembler.append(Hex("480B01020304"));
    QCOMPARE(f.assembler.collectingRule(), 1);
    f.assembler.reset();
    QCOMPARE(f.assembler.collectingRule(), 0);
    // The old packet's tail is now stray bytes; a new reply is found whole.
    f.assembler.append(QByteArray(10, '\x05') + BoardReply('\x06'));
    QCOMPARE(f.delivered, QStringList{Packet(1, BoardReply('\x06'))});
}

void TestPacketAssembler::timesOut_data()
{
    QTest::addColumn<QByteArray>("head"); // the start of a packet
    QTest::addColumn<QByteArray>("tail"); // its rest, arriving after the delay
    QTest::addColumn<qint64>("delayMs");
    QTest::addColumn<bool>("completes");

    const QByteArray board = BoardReply('\x07');
    QTest::addRow("board reply just inside 118.14 s")
        << board.left(5) << board.mid(5) << qint64(118139) << true;
    QTest::addRow("board reply at 118.14 s") << board.left(5) << board.mid(5) << qint64(118140) << false;
    QTest::addRow("board reply after an hour") << board.left(2) << board.mid(2) << qint64(3600000) << false;
    QTest::addRow("Modbus text just inside")
        << kModbusReply.left(4) << kModbusReply.mid(4) << qint64(118139) << true;
    QTest::addRow("Modbus text at 118.14 s")
        << kModbusReply.left(4) << kModbusReply.mid(4) << qint64(118140) << false;
}

void TestPacketAssembler::timesOut()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, tail);
    QFETCH(qint64, delayMs);
    QFETCH(bool, completes);
    Fixture f;
    f.nowMs = 5000;
    f.assembler.append(head);
    f.nowMs += delayMs;
    f.assembler.append(tail);
    const QStringList whole{Packet(head[0] == ':' ? 3 : 1, head + tail)};
    QCOMPARE(f.delivered, completes ? whole : QStringList{});
    // The rule is armed again: every rule, the timed-out one included, still
    // delivers later replies.
    f.delivered.clear();
    f.nowMs += 10;
    const QByteArray later = BoardReply('\x08') + Hex("4802010203") + kModbusReply + Hex("4803040506");
    f.assembler.append(later);
    QCOMPARE(f.delivered, (QStringList{Packet(1, BoardReply('\x08')), Packet(2, Hex("4802010203")),
                                       Packet(3, kModbusReply), Packet(4, Hex("4803040506"))}));
}

void TestPacketAssembler::keepsNothingOfGarbage()
{
    Fixture f;
    QByteArray noise;
    for (int i = 0; i < 100000; ++i) {
        char b = char((i * 37 + 11) & 0xFF);
        if (b == 'H' || b == ':')
            b = 0;
        noise.append(b);
    }
    f.assembler.append(noise);
    QCOMPARE(f.assembler.bufferedBytes(), 0);
    f.assembler.append(noise + "H");
    QCOMPARE(f.assembler.bufferedBytes(), 1); // a partial start is kept
    f.assembler.append(Hex("0B") + QByteArray(12, 'z'));
    QCOMPARE(f.delivered, QStringList{Packet(1, "H\x0B" + QByteArray(12, 'z'))});
}

void TestPacketAssembler::boundsAnEndlessModbusText()
{
    Fixture f;
    // 100 KB without CR LF is still one Modbus text...
    f.assembler.append(":" + QByteArray(100 * 1024, 'A'));
    f.assembler.append("\r\n");
    QCOMPARE(f.delivered.size(), 1);
    QCOMPARE(f.delivered.first().size(), 2 + (100 * 1024 + 3) * 2);
    // ...but a flood beyond the packet limit is dropped and later replies work.
    f.delivered.clear();
    const QByteArray chunk(64 * 1024, 'B');
    f.assembler.append(":");
    for (int i = 0; i < 40; ++i)
        f.assembler.append(chunk);
    QVERIFY(f.assembler.bufferedBytes() <= PacketAssembler::kMaxPacketBytes + chunk.size());
    f.assembler.append("\r\n" + BoardReply('\x09'));
    QCOMPARE(f.delivered, QStringList{Packet(1, BoardReply('\x09'))});
}

QTEST_GUILESS_MAIN(TestPacketAssembler)
#include "tst_packetassembler.moc"
