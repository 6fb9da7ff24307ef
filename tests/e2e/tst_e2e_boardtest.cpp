// One board-test pass of the tool against the virtual room: every output of
// each present board blinks in turn, and the boards' outputs end as they began.
#include "e2eroom.h"

#include "panels/boardtest.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using e2e::Room;
using e2e::ToolWindow;

class TestE2eBoardTest : public QObject
{
    Q_OBJECT
private slots:
    void onePassBlinksEveryOutputInOrder();
};

void TestE2eBoardTest::onePassBlinksEveryOutputInOrder()
{
    QTemporaryDir roomFolder;
    const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
    const auto zeros = [](int) { return QStringLiteral("0000000000000000"); };
    auto light = e2e::BoardState(QStringLiteral("light"), zeros);
    auto outputs = [&](int value) {
        QJsonObject board = light;
        board[QStringLiteral("outputs")] = value;
        return board;
    };
    QVERIFY(e2e::WriteRoomState(statePath, QJsonObject{{"01", outputs(0x5A)}, {"F1", outputs(0x00)}}));

    QByteArray served;
    QJsonObject boards;
    {
        Room room({"--listen", "127.0.0.1:0", "--state", statePath});
        const quint16 port = room.waitPort();
        QVERIFY(port != 0);
        ToolWindow tool(port);
        // The panels show what the boards' outputs are: slot 1 01011010, slot 7 dark.
        for (int slot : {1, 7})
            tool.present(slot)->setChecked(true);
        tool.lightBoard(1)->DecodeBoardData(QByteArray::fromHex("FF5AFF00FF00FF00"));
        tool.lightBoard(7)->DecodeBoardData(QByteArray::fromHex("FF00FF00FF00FF00"));
        tool.form->N7Click();
        QTimer *timer = tool.form->findChild<QTimer *>(QStringLiteral("tmrTestBoard"));
        QVERIFY(timer && timer->isActive());
        // The pass, as the timer's tick runs it; then the test is ended.
        tool.run(&TForm1::tmrTestBoardTimer);
        tool.form->N9Click();
        QTest::qWait(300);
        QVERIFY2(tool.errors.errors().isEmpty(), qPrintable(tool.errors.errors().join('\n')));
        QVERIFY(!timer->isActive());
        QCOMPARE(tool.lightBoard(1)->columnPattern(1), quint8(0x5A));
        room.stop(); // the room saves its outputs on the way out
        served = room.output();
        boards = e2e::ReadRoomBoards(statePath);
    }

    // The room's log: one live output line per frame, in the order sent.
    QStringList expected;
    for (const auto &[id, column1] : {std::pair<QString, int>{"01", 0x5A}, {"F1", 0x00}})
        for (int r = 0; r < 8; ++r)
            for (int pattern : {column1 ^ (1 << r), column1})
                expected.append(QStringLiteral("%1 light: live output mask FF pattern %2")
                                    .arg(id, QStringLiteral("%1").arg(pattern, 2, 16, QLatin1Char('0')).toUpper()));
    QStringList seen;
    const QRegularExpression live(QStringLiteral("(\\S+ light: live output mask \\S+ pattern \\S+)"));
    for (const QString &line : QString::fromUtf8(served).split(QLatin1Char('\n'))) {
        const auto match = live.match(line);
        if (match.hasMatch())
            seen.append(match.captured(1));
    }
    QCOMPARE(seen, expected);
    QCOMPARE(boards.value("01").toObject().value("outputs").toInt(), 0x5A);
    QCOMPARE(boards.value("F1").toObject().value("outputs").toInt(), 0x00);
}

QTEST_MAIN(TestE2eBoardTest)
#include "tst_e2e_boardtest.moc"
