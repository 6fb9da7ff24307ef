// "機板測試": the passes that blink every output of every present board.
#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "app/mainwindow.h"
#include "link/trafficlog.h"
#include "panels/boardtest.h"
#include "protocol/kvterror.h"
#include "scenes/keycommands.h"
#include "panels/ledindicator.h"
#include "panels/lightboard.h"
#include "scenes/busstate.h"
#include "scenes/keyswitch.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

// The live output frame, worked out by hand: 'H', length 4, the payload
// id 03 mask pattern, and the XOR of the length and the payload.
QByteArray LiveFrame(quint8 id, quint8 mask, quint8 pattern)
{
    const quint8 check = quint8(0x04 ^ id ^ 0x03 ^ mask ^ pattern);
    QByteArray frame("H\x04", 2);
    for (quint8 b : {id, quint8(0x03), mask, pattern, check})
        frame.append(char(b));
    return frame;
}

// The 16 frames of one board's pass: each output on, then back.
QList<QByteArray> BoardPass(quint8 id, quint8 mask, quint8 column1)
{
    QList<QByteArray> frames;
    for (int r = 0; r < 8; ++r) {
        frames.append(LiveFrame(id, mask, quint8(column1 ^ (1u << r))));
        frames.append(LiveFrame(id, mask, column1));
    }
    return frames;
}

bool IsLiveOutput(const QByteArray &frame)
{
    return frame.size() == 7 && frame.startsWith("H\x04") && quint8(frame.at(3)) == 0x03;
}

QList<int> Pauses(const VirtualPacer &pacer)
{
    QList<int> pauses;
    for (const auto &step : pacer.steps())
        if (step.kind == VirtualPacer::StepKind::Pause)
            pauses.append(step.ms);
    return pauses;
}

void SetColumn1(TfmLightBoard *panel, quint8 mask, quint8 column1)
{
    for (int r = 1; r <= kLightRows; ++r) {
        panel->rowCheckBox(r)->setChecked(mask & (1u << (r - 1)));
        panel->led(1, r)->setOn(column1 & (1u << (r - 1)));
    }
}

} // namespace

class TestBoardTest : public QObject
{
    Q_OBJECT

private slots:
    void passWithoutBoardsSendsNothing();
    void passBlinksEachOutputOfPresentBoards_data();
    void passBlinksEachOutputOfPresentBoards();
    void endTest_data();
    void endTest();
    void endTestWhileIdleLeavesAScanAlone();
    void startDuringAPassGoesOnAfterIt();
    void tickDuringABusCommandWaitsForItsEnd_data();
    void tickDuringABusCommandWaitsForItsEnd();
    void readOnlyClearsTheSelectionAndStillBlinks();
    void boardClearedDuringAPassSkipsItsRest();
    void lostLinkEndsThePassWithThePanelAsBefore_data();
    void lostLinkEndsThePassWithThePanelAsBefore();
    void closingTheWindowEndsTheTest();
    void keyPickedDuringABlinkStoresTheKeyAsItWas();
    void keySentDuringABlinkSendsTheKeyAsItIs();
    void statusBarNamesTheBlinkingOutput();
};

void TestBoardTest::passWithoutBoardsSendsNothing()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    form.trafficLog().LogLine(QStringLiteral("an earlier line"), BusDirection::Note);
    QTimer *timer = f.find<QTimer>(QStringLiteral("tmrTestBoard"));
    QVERIFY(timer);
    QVERIFY(!timer->isActive());

    f.find<QAction>(QStringLiteral("N7"))->trigger();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    const QDateTime start = f.pacer.now();
    form.tmrTestBoardTimer();

    QVERIFY(f.writes().isEmpty());
    QCOMPARE(form.trafficLog().lineCount(), 0);
    // The next pass follows 1000 ms later; a read-all now skips its scan.
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    QVERIFY(!form.busState().scanFlag);
    QVERIFY(form.busState().scanned);
    QCOMPARE(form.busState().lastScanTime, start);
    QVERIFY(form.keyCommands().recentScan());
}

void TestBoardTest::passBlinksEachOutputOfPresentBoards_data()
{
    QTest::addColumn<QList<int>>("boards");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("column1");
    QTest::addColumn<QList<QByteArray>>("frames");

    QTest::addRow("slot 2 alone, rows 1-8, column 1 clear")
        << QList<int>{2} << 0xFF << 0x00 << BoardPass(0x02, 0xFF, 0x00);
    QTest::addRow("row 3 clear is still blinked, its bit clear in the mask")
        << QList<int>{2} << 0xFB << 0x00 << BoardPass(0x02, 0xFB, 0x00);
    QTest::addRow("lit outputs go dark and back")
        << QList<int>{5} << 0xFF << 0x81 << BoardPass(0x05, 0xFF, 0x81);
    QTest::addRow("slots in order, six-key relays too, main dimmer never")
        << QList<int>{19, 18, 7, 1} << 0xFF << 0x00
        << BoardPass(0x01, 0xFF, 0x00) + BoardPass(0xF1, 0xFF, 0x00) + BoardPass(0x20, 0xFF, 0x00);
}

void TestBoardTest::passBlinksEachOutputOfPresentBoards()
{
    QFETCH(QList<int>, boards);
    QFETCH(int, mask);
    QFETCH(int, column1);
    QFETCH(QList<QByteArray>, frames);
    MainWindowFixture f;
    TForm1 &form = f.form();
    QList<QByteArray> before;
    for (int slot : boards) {
        f.setBoardPresent(slot, true);
        if (slot <= kLightBoardPanelCount) {
            SetColumn1(f.lightBoard(slot), quint8(mask), quint8(column1));
            before.append(f.lightBoard(slot)->EncodeBoardData());
        }
    }
    f.clearTraffic();

    form.N7Click();
    form.tmrTestBoardTimer();

    QVERIFY(f.errors.errors().isEmpty());
    QCOMPARE(f.writes(), frames);
    // Each blink: the frame's 100 ms, then 200 ms, for each of the two clicks.
    QList<int> pauses;
    for (int i = 0; i < frames.size(); ++i)
        pauses << 100 << 200;
    QCOMPARE(Pauses(f.pacer), pauses);
    int i = 0;
    for (int slot : boards)
        if (slot <= kLightBoardPanelCount)
            QCOMPARE(f.lightBoard(slot)->EncodeBoardData(), before.at(i++));
    QVERIFY(f.find<QTimer>(QStringLiteral("tmrTestBoard"))->isActive());
}

void TestBoardTest::endTest_data()
{
    QTest::addColumn<int>("atPause"); // -1: while waiting, before the pass
    QTest::addColumn<int>("frames");
    QTest::addRow("while waiting: no pass runs") << -1 << 0;
    QTest::addRow("during a pass: the pass completes") << 5 << 16;
}

void TestBoardTest::endTest()
{
    QFETCH(int, atPause);
    QFETCH(int, frames);
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    f.clearTraffic();
    QTimer *timer = f.find<QTimer>(QStringLiteral("tmrTestBoard"));
    form.N7Click();
    if (atPause < 0) {
        f.find<QAction>(QStringLiteral("N9"))->trigger();
        QVERIFY(!timer->isActive());
        // A tick already queued finds the test ended.
    } else {
        f.pacer.onPause = [&](int index) {
            if (index == atPause) {
                form.N9Click();
                QVERIFY(!form.busState().scanFlag);
            }
        };
        form.tmrTestBoardTimer();
    }
    QCOMPARE(f.writes().size(), frames);
    QVERIFY(!timer->isActive());
    QVERIFY(!form.busState().scanFlag);
}

void TestBoardTest::endTestWhileIdleLeavesAScanAlone()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    bool ended = false;
    f.pacer.onPause = [&](int index) {
        if (index == 0) {
            form.N9Click();
            ended = form.busState().scanFlag;
        }
    };
    form.miScanClick();
    // The scan's flag stays set: boards answering the rest of the scan count.
    QVERIFY(ended);
    QVERIFY(!f.find<QTimer>(QStringLiteral("tmrTestBoard"))->isActive());
}

void TestBoardTest::startDuringAPassGoesOnAfterIt()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    f.clearTraffic();
    QTimer *timer = f.find<QTimer>(QStringLiteral("tmrTestBoard"));
    f.pacer.onPause = [&](int index) {
        if (index == 3) {
            // Ended, started again, and a tick: no pass inside the pass.
            form.N9Click();
            form.N7Click();
            QVERIFY(!timer->isActive());
            form.tmrTestBoardTimer();
        }
    };
    form.N7Click();
    form.tmrTestBoardTimer();
    QCOMPARE(f.writes(), BoardPass(0x02, 0xFF, 0xFF));
    QVERIFY(timer->isActive());
    QVERIFY(!form.busState().scanFlag);
}

void TestBoardTest::tickDuringABusCommandWaitsForItsEnd_data()
{
    QTest::addColumn<QString>("item");
    QTest::addRow("掃描") << "miScan";
    QTest::addRow("讀全部") << "miReadAll";
    QTest::addRow("儲全部") << "miSendAll";
    QTest::addRow("讀6Key") << "miRead6Key";
    QTest::addRow("儲6Key") << "miSend6Key";
}

void TestBoardTest::tickDuringABusCommandWaitsForItsEnd()
{
    QFETCH(QString, item);
    MainWindowFixture f;
    TForm1 &form = f.form();
    // A light board to blink and a six-key board for the six-key commands.
    f.setBoardPresent(3, true);
    f.setBoardPresent(9, true);
    QTimer *timer = f.find<QTimer>(QStringLiteral("tmrTestBoard"));
    form.N7Click();
    f.clearTraffic();
    int ticks = 0;
    // Every pause from here on is one of the command's.
    f.pacer.onPause = [&](int) {
        if (ticks == 0) {
            form.tmrTestBoardTimer();
            ++ticks;
            QVERIFY(timer->isActive());
        }
    };
    f.find<QAction>(item)->trigger();
    QVERIFY2(f.errors.errors().isEmpty(), qPrintable(f.errors.errors().join('\n')));
    QCOMPARE(ticks, 1);
    for (const QByteArray &frame : f.writes())
        QVERIFY2(!IsLiveOutput(frame), "no live output inside the command");
    // The tick after the command's end runs the pass.
    f.pacer.onPause = nullptr;
    f.clearTraffic();
    f.setBoardPresent(3, true);
    f.setBoardPresent(9, false);
    form.tmrTestBoardTimer();
    QCOMPARE(f.writes(), BoardPass(0x03, 0xFF, f.lightBoard(3)->columnPattern(1)));
}

void TestBoardTest::readOnlyClearsTheSelectionAndStillBlinks()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(4, true);
    f.userSelectKey(2);
    f.find<QAction>(QStringLiteral("miReadOnly"))->trigger();
    QVERIFY(!f.lightBoard(4)->led(1, 1)->isEnabled());
    f.clearTraffic();

    form.N7Click();
    form.tmrTestBoardTimer();

    QCOMPARE(f.keyList()->currentIndex(), -1);
    QCOMPARE(form.sceneStore().shownKeyIndex(), 2);
    QCOMPARE(f.writes(), BoardPass(0x04, 0xFF, 0xFF));
}

void TestBoardTest::boardClearedDuringAPassSkipsItsRest()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    f.setBoardPresent(3, true);
    f.clearTraffic();
    // Four pauses a blink (each click's frame, then 200 ms): 7 ends output 2.
    f.pacer.onPause = [&](int index) {
        if (index == 7)
            f.setBoardPresent(2, false);
    };
    form.N7Click();
    form.tmrTestBoardTimer();
    QCOMPARE(f.writes(), BoardPass(0x02, 0xFF, 0xFF).mid(0, 4) + BoardPass(0x03, 0xFF, 0xFF));
    QCOMPARE(f.lightBoard(2)->columnPattern(1), quint8(0xFF));
}

void TestBoardTest::lostLinkEndsThePassWithThePanelAsBefore_data()
{
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("message");
    QTest::addRow("write fails while output 2 is inverted") << false << "connection lost";
    QTest::addRow("the other end closes the connection") << true << "機板測試";
}

void TestBoardTest::lostLinkEndsThePassWithThePanelAsBefore()
{
    QFETCH(bool, dropped);
    QFETCH(QString, message);
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    f.clearTraffic();
    int written = 0;
    f.transport->onWrite = [&](const QByteArray &) {
        if (++written != 2)
            return;
        if (dropped)
            f.transport->dropConnection();
        else
            f.transport->failWriteWith = QStringLiteral("connection lost");
    };
    QTimer *timer = f.find<QTimer>(QStringLiteral("tmrTestBoard"));
    form.N7Click();
    // The pass as the timer runs it: through the error guard.
    QTRY_COMPARE_WITH_TIMEOUT(f.errors.errors().size(), 1, 3000);
    QVERIFY2(f.errors.errors().first().contains(message), qPrintable(f.errors.errors().first()));
    QCOMPARE(f.writes().size(), 2);
    QCOMPARE(f.lightBoard(2)->columnPattern(1), quint8(0xFF));
    QVERIFY(!form.busState().scanFlag);
    // The test is still on: the next pass tries again.
    QVERIFY(timer->isActive());
    form.N9Click();
}

void TestBoardTest::closingTheWindowEndsTheTest()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.window->show();
    f.setBoardPresent(2, true);
    f.setBoardPresent(3, true);
    f.clearTraffic();
    // Pause 0 follows the first click's frame: output 1 of slot 2 is inverted.
    f.pacer.onPause = [&](int index) {
        if (index == 0)
            form.close();
    };
    form.N7Click();
    form.tmrTestBoardTimer();
    QCOMPARE(f.writes(), BoardPass(0x02, 0xFF, 0xFF).mid(0, 2));
    QCOMPARE(f.lightBoard(2)->columnPattern(1), quint8(0xFF));
    QVERIFY(!f.find<QTimer>(QStringLiteral("tmrTestBoard"))->isActive());
    QVERIFY(!form.busState().scanFlag);
}

void TestBoardTest::keyPickedDuringABlinkStoresTheKeyAsItWas()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    f.userSelectKey(0); // 晴空
    TfmLightBoard *panel = f.lightBoard(2);
    SetColumn1(panel, 0xFF, 0x00);
    const QByteArray shown = panel->EncodeBoardData();
    const QByteArray sleep = QByteArray::fromHex("FF0FFF00FF00FF00");
    form.sceneStore().key(6).board(2) = sleep; // 睡眠
    f.clearTraffic();
    // Pause 4 follows the frame that inverted output 2.
    bool picked = false;
    f.pacer.onPause = [&](int index) {
        if (index == 4 && !picked) {
            picked = true;
            form.Image5Click(f.find<QObject>(QStringLiteral("Image7")));
        }
    };
    form.N7Click();
    form.tmrTestBoardTimer();

    QVERIFY2(f.errors.errors().isEmpty(), qPrintable(f.errors.errors().join('\n')));
    // 晴空 keeps output 2 dark; 睡眠 is shown and was read.
    QCOMPARE(form.sceneStore().key(1).board(2), shown);
    QCOMPARE(form.sceneStore().key(6).board(2), sleep);
    QCOMPARE(panel->EncodeBoardData(), sleep);
    // The blink of output 2 ends with the column the panel now shows; the
    // rest of the pass blinks around it.
    QList<QByteArray> live;
    for (const QByteArray &frame : f.writes())
        if (frame.startsWith('H'))
            live.append(frame);
    QList<QByteArray> expected = {LiveFrame(0x02, 0xFF, 0x01), LiveFrame(0x02, 0xFF, 0x00),
                                  LiveFrame(0x02, 0xFF, 0x02), LiveFrame(0x02, 0xFF, 0x0F)};
    expected += BoardPass(0x02, 0xFF, 0x0F).mid(4);
    QCOMPARE(live, expected);
}

void TestBoardTest::keySentDuringABlinkSendsTheKeyAsItIs()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    f.userSelectKey(0);
    SetColumn1(f.lightBoard(2), 0xFF, 0x00);
    f.clearTraffic();
    // Pause 0 follows the frame that inverted output 1: "儲按鍵" now.
    bool sent = false;
    f.pacer.onPause = [&](int index) {
        if (index == 0 && !sent) {
            sent = true;
            form.miSendKeyClick();
        }
    };
    form.N7Click();
    form.tmrTestBoardTimer();

    QVERIFY2(f.errors.errors().isEmpty(), qPrintable(f.errors.errors().join('\n')));
    QStringList writes;
    for (const QByteArray &frame : f.writes())
        if (frame.startsWith(':'))
            writes.append(QString::fromLatin1(frame));
    QCOMPARE(writes.size(), 1);
    // The key's data as the panel holds them: output 1 dark in column 1
    // (FF 00), not the blinked 01; the other columns all lit.
    QVERIFY2(writes.first().contains(QLatin1String("08FF00FFFFFFFFFFFF")), qPrintable(writes.first()));
    QCOMPARE(f.lightBoard(2)->columnPattern(1), quint8(0x00));
}

void TestBoardTest::statusBarNamesTheBlinkingOutput()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    f.setBoardPresent(2, true);
    QStringList seen;
    f.pacer.onPause = [&](int index) {
        if (index % 4 == 0)
            seen.append(form.statusBar()->currentMessage());
    };
    form.N7Click();
    form.tmrTestBoardTimer();
    QCOMPARE(seen.first(), QStringLiteral("機板測試 板2 輸出1"));
    QCOMPARE(seen.at(2), QStringLiteral("機板測試 板2 輸出3"));
    QCOMPARE(seen.last(), QStringLiteral("機板測試 板2 輸出8"));
}

QTEST_MAIN(TestBoardTest)
#include "tst_boardtest.moc"
