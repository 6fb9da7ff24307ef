// One board-test pass of the tool against the virtual room: every output of
// each present board blinks in turn, and the boards' outputs end as they began.
#include "e2eroom.h"

#include "panels/boardtest.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using e2e::Room;
using e2e::ToolWindow;

namespace {

struct TestedBoard
{
    QString id; // as the room names it
    QString kind;
    int outputs; // column 1 as the board holds it
};

// The room's line for a live output: "01 light: live output mask FF pattern 5B".
QString LiveLine(const TestedBoard &board, int pattern)
{
    return QStringLiteral("%1 %2: live output mask FF pattern %3")
        .arg(board.id, board.kind, QStringLiteral("%1").arg(pattern, 2, 16, QLatin1Char('0')).toUpper());
}

// Each output of each board inverted, then put back: 16 lines a board.
QStringList PassLines(const QList<TestedBoard> &boards)
{
    QStringList lines;
    for (const TestedBoard &board : boards)
        for (int r = 0; r < 8; ++r)
            for (int pattern : {board.outputs ^ (1 << r), board.outputs})
                lines.append(LiveLine(board, pattern));
    return lines;
}

} // namespace

class TestE2eBoardTest : public QObject
{
    Q_OBJECT
private slots:
    void onePassBlinksEveryOutputInOrder_data();
    void onePassBlinksEveryOutputInOrder();
};

void TestE2eBoardTest::onePassBlinksEveryOutputInOrder_data()
{
    QTest::addColumn<QStringList>("faults");
    // How many of the pass's 32 live outputs reach the room; the error the
    // pass ends with (empty: none).
    QTest::addColumn<int>("frames");
    QTest::addColumn<QString>("error");

    QTest::addRow("every answer arrives") << QStringList{} << 32 << QString();
    // No answer is awaited: the blinking goes on whatever the boards answer.
    QTest::addRow("a third of the answers dropped")
        << QStringList{"--drop-rate", "33%", "--seed", "3"} << 32 << QString();
    // The room closes the line at the ninth frame (output 5 of board 01
    // inverted), well after the link's first seconds, in which a gateway that
    // hangs up is taken as one refusing the connection: the put-back goes
    // out on a new connection, then the pass stops with the lost connection
    // named.
    QTest::addRow("the connection closed mid-pass")
        << QStringList{"--close-after", "9"} << 10 << QStringLiteral("\"機板測試\" stopped: the connection to the bus was lost");
}

void TestE2eBoardTest::onePassBlinksEveryOutputInOrder()
{
    QFETCH(QStringList, faults);
    QFETCH(int, frames);
    QFETCH(QString, error);
    QTemporaryDir roomFolder;
    const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
    // Board 01 starts with outputs 01011010; the six-key board 20 (slot 18,
    // its relay outputs) is not in the file and starts dark.
    QJsonObject board01 = e2e::BoardState(QStringLiteral("light"), [](int) { return QStringLiteral("0000000000000000"); });
    board01[QStringLiteral("outputs")] = 0x5A;
    QVERIFY(e2e::WriteRoomState(statePath, QJsonObject{{"01", board01}}));

    QByteArray served;
    QJsonObject boards;
    qint64 passMs = 0;
    {
        Room room(QStringList{"--listen", "127.0.0.1:0", "--boards", "01,20", "--dimmer6", "none", "--media", "none",
                              "--state", statePath}
                  + faults);
        const quint16 port = room.waitPort();
        QVERIFY(port != 0);
        ToolWindow tool(port);
        // The panels show what the boards' outputs are: slot 1 01011010, slot 18 dark.
        for (int slot : {1, 18})
            tool.present(slot)->setChecked(true);
        tool.lightBoard(1)->DecodeBoardData(QByteArray::fromHex("FF5AFF00FF00FF00"));
        tool.lightBoard(18)->DecodeBoardData(QByteArray::fromHex("FF00FF00FF00FF00"));
        tool.form->N7Click();
        QTimer *timer = tool.form->findChild<QTimer *>(QStringLiteral("tmrTestBoard"));
        QVERIFY(timer && timer->isActive());
        // The pass, as the timer's tick runs it; then the test is ended.
        QElapsedTimer clock;
        clock.start();
        tool.run(&TForm1::tmrTestBoardTimer);
        passMs = clock.elapsed();
        // A pass that an error ended leaves the test on: the next pass is due.
        QVERIFY(timer->isActive());
        QVERIFY(!tool.form->busState().scanFlag);
        tool.form->N9Click();
        QVERIFY(!timer->isActive());
        QTest::qWait(300);
        if (error.isEmpty()) {
            QVERIFY2(tool.errors.errors().isEmpty(), qPrintable(tool.errors.errors().join('\n')));
        } else {
            QVERIFY2(tool.errors.errors().size() == 1, qPrintable(tool.errors.errors().join('\n')));
            QVERIFY2(tool.errors.errors().first().contains(error), qPrintable(tool.errors.errors().first()));
        }
        // The panels show the outputs as they were.
        QCOMPARE(tool.lightBoard(1)->columnPattern(1), quint8(0x5A));
        QCOMPARE(tool.lightBoard(18)->columnPattern(1), quint8(0x00));
        QVERIFY2(room.running(), "the room ended during the pass");
        room.stop(); // the room saves its outputs on the way out
        served = room.output();
        boards = e2e::ReadRoomBoards(statePath);
    }

    // Real pacing: every live output is a 100 ms send and a 200 ms pause.
    QVERIFY2(passMs >= frames * 300, qPrintable(QString::number(passMs)));
    QVERIFY2(passMs < frames * 300 * 3 / 2 + 2000, qPrintable(QString::number(passMs)));
    // The room's log: one live output line per frame, in the order sent.
    QStringList seen;
    const QRegularExpression live(QStringLiteral("(\\S+ \\S+: live output mask \\S+ pattern \\S+)"));
    for (const QString &line : QString::fromUtf8(served).split(QLatin1Char('\n'))) {
        const auto match = live.match(line);
        if (match.hasMatch())
            seen.append(match.captured(1));
    }
    QCOMPARE(seen, PassLines({{"01", "light", 0x5A}, {"20", "sixkey", 0x00}}).mid(0, frames));
    if (faults.contains(QLatin1String("--drop-rate")))
        QVERIFY2(served.contains("dropped on demand"), "the room dropped no answer; the run shows nothing");
    // The boards' outputs end as they began.
    QCOMPARE(boards.value("01").toObject().value("outputs").toInt(), 0x5A);
    QCOMPARE(boards.value("20").toObject().value("outputs").toInt(), 0x00);
}

QTEST_MAIN(TestE2eBoardTest)
#include "tst_e2e_boardtest.moc"
