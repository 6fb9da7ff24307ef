// Read-all, send-all and the key test through the main window's menu, with
// boards that answer from a scripted room.
#include "mainwindowfixture.h"
#include "scenefiletext.h"
#include "scriptedboards.h"

#include "app/mainmenu.h"
#include "app/statusprogress.h"
#include "link/trafficlog.h"
#include "panels/lightboard.h"
#include "protocol/boardframe.h"
#include "scenes/keycommands.h"
#include "scenes/keyswitch.h"
#include "scenes/keytables.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

void SetFlag(QAction *item, bool on)
{
    if (item->isChecked() != on)
        item->trigger();
}

// The key a board frame's key press or write names (keys 16 and 17 share a code).
QList<int> KeysOf(const QList<QPair<int, int>> &writes)
{
    QList<int> keys;
    for (const auto &w : writes)
        keys.append(w.second);
    return keys;
}

} // namespace

class TestBulkCommands : public QObject
{
    Q_OBJECT

private slots:
    void readAllThenSaveHoldsEveryKey();
    void readAllScansWhenNotRecent_data();
    void readAllScansWhenNotRecent();
    void commandEndsWhenConnectionLost_data();
    void commandEndsWhenConnectionLost();
    void sendAllOrder_data();
    void sendAllOrder();
    void sendAllErrorStillRestores();
    void keyTest_data();
    void keyTest();
    void commandsStartedFromInside();
};

void TestBulkCommands::readAllThenSaveHoldsEveryKey()
{
    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    const QList<int> present = {1, 7, 12};
    for (int slot : present)
        boards.addBoard(slot);
    QStringList progress;
    fx.pacer.onPause = [&](int) { progress.append(fx.form().progress().text()); };

    fx.form().menu().miReadAll->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    for (int slot = 1; slot <= kSlotCount; ++slot)
        QCOMPARE(fx.form().panels().BoardCheckBoxes.at(slot)->isChecked(), present.contains(slot));
    QCOMPARE(fx.keyList()->currentIndex(), -1);
    QVERIFY(progress.contains(QStringLiteral("掃描 7/19")));
    QVERIFY(progress.contains(QStringLiteral("讀全部 12/62")));
    QVERIFY(progress.contains(QStringLiteral("讀全部 62/62")));

    const QString path = fx.dir.filePath(QStringLiteral("room.kvt"));
    SaveAs dialogs(path);
    fx.form().sceneFile().setFileDialogs(dialogs);
    fx.form().menu().N3->trigger();
    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));

    const SceneFileEntries saved = ReadSceneFileText(path);
    for (int k = 0; k < kKeyCount; ++k) {
        const auto &entries = saved.value(QStringLiteral("RawData\\Key%1").arg(k + 1));
        // Keys 16 and 17 share their memory slot and so their register.
        const int stored = k == 17 ? 16 : k;
        for (int slot : present)
            QCOMPARE(entries.value(QStringLiteral("Board%1").arg(slot)),
                     QString::fromLatin1(boards.keyData(slot, stored).toHex().toUpper()));
        QCOMPARE(entries.value(QStringLiteral("Board2"), QStringLiteral("(missing)")), QString());
    }
}

void TestBulkCommands::readAllScansWhenNotRecent_data()
{
    QTest::addColumn<bool>("scanBefore");
    QTest::addColumn<qint64>("afterMs");
    QTest::addColumn<bool>("scans");

    QTest::addRow("no scan since the start") << false << qint64(0) << true;
    QTest::addRow("5 minutes after a scan") << true << qint64(5 * 60'000) << false;
    QTest::addRow("10 minutes after a scan") << true << qint64(10 * 60'000) << true;
}

void TestBulkCommands::readAllScansWhenNotRecent()
{
    QFETCH(bool, scanBefore);
    QFETCH(qint64, afterMs);
    QFETCH(bool, scans);

    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    if (scanBefore)
        menu.miScan->trigger();
    fx.pacer.advance(afterMs);
    fx.clearTraffic();
    const QDateTime started = fx.pacer.now();
    fx.form().keySwitch().selectKeyIndex(5);
    QList<bool> readAllEnabled;
    fx.pacer.onPause = [&](int) { readAllEnabled.append(menu.miReadAll->isEnabled()); };

    menu.miReadAll->trigger();

    QVERIFY(fx.errors.errors().isEmpty());
    QCOMPARE(fx.form().busState().lastScanTime == started, scans);
    // No board answers: 62 passes of events, read (nothing present), events, 100 ms.
    QCOMPARE(fx.pacer.totalPauseMs(), qint64((scans ? 19 * 600 : 0) + 62 * 100));
    QCOMPARE(fx.writes().size(), scans ? kSlotCount : 0);
    QVERIFY(!readAllEnabled.contains(true));
    QVERIFY(menu.miReadAll->isEnabled());
    QCOMPARE(fx.keyList()->currentIndex(), -1);
    QCOMPARE(fx.form().sceneStore().shownKeyIndex(), 61);
}

void TestBulkCommands::commandEndsWhenConnectionLost_data()
{
    QTest::addColumn<QString>("command"); // the menu item
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lostAtWrite"); // 0: lost while idle, before the command
    QTest::addColumn<bool>("refused");

    QTest::addRow("read-all, closed at the 12th frame") << "miReadAll" << "讀全部" << 12 << false;
    QTest::addRow("read-all, a connection that could not be made") << "miReadAll" << "讀全部" << 12 << true;
    QTest::addRow("send-all, closed at the 7th frame") << "miSendAll" << "儲全部" << 7 << false;
    QTest::addRow("scan, closed at the 4th frame") << "miScan" << "掃描" << 4 << false;
    QTest::addRow("read of one key, closed at the 1st frame") << "btnRead" << "讀按鍵" << 1 << false;
    QTest::addRow("send of one key, closed at the 2nd frame") << "miSendKey" << "儲按鍵" << 2 << false;
    QTest::addRow("closed while idle: the command reconnects quietly") << "miReadAll" << "讀全部" << 0 << false;
}

void TestBulkCommands::commandEndsWhenConnectionLost()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    QFETCH(int, lostAtWrite);
    QFETCH(bool, refused);

    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    for (int slot : {2, 3, 4})
        boards.addBoard(slot);
    fx.form().menu().miScan->trigger();
    fx.form().keySwitch().selectKeyIndex(2);
    fx.form().keySwitch().ComboBox1Enter();
    fx.clearTraffic();
    const int opensBefore = fx.transport->openCount();
    if (lostAtWrite == 0)
        fx.transport->dropConnection();
    int writesAtLoss = -1;
    fx.pacer.onPause = [&](int) {
        if (writesAtLoss < 0 && lostAtWrite > 0 && fx.writes().size() >= lostAtWrite) {
            writesAtLoss = int(fx.writes().size());
            if (refused)
                fx.transport->failConnection(QStringLiteral("Cannot connect to the gateway"));
            else
                fx.transport->dropConnection();
        }
    };

    auto *item = fx.form().findChild<QAction *>(command);
    QVERIFY(item);
    item->trigger();

    if (lostAtWrite == 0) {
        // The link closed itself without a message; the command opened it again.
        QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
        QCOMPARE(fx.transport->openCount(), opensBefore + 1);
        QCOMPARE(fx.form().sceneStore().key(5).board(3), boards.keyData(3, 4));
        return;
    }
    // The command stopped at the loss with one message that names it; nothing
    // more went out.
    const QString why = refused ? QStringLiteral("the connection to the bus could not be made")
                                : QStringLiteral("the connection to the bus was lost");
    QStringList expected{QStringLiteral("\"%1\" stopped: %2. What it sent just before may not have arrived; "
                                        "the next command connects again.").arg(name, why)};
    if (refused)
        expected.prepend(QStringLiteral("Cannot connect to the gateway"));
    QCOMPARE(fx.errors.errors(), expected);
    QCOMPARE(fx.writes().size(), writesAtLoss);
    QVERIFY(item->isEnabled());
    QVERIFY(fx.form().menu().miScan->isEnabled());
    QVERIFY(fx.keyList()->isEnabled());
    QVERIFY(!fx.form().busState().scanFlag);
    QVERIFY(fx.form().progress().text().isEmpty());
    if (command == QLatin1String("miReadAll")) {
        // The keys read before the loss are in the store.
        QCOMPARE(fx.form().sceneStore().key(1).board(2), boards.keyData(2, 0));
        QCOMPARE(fx.form().sceneStore().key(3).board(4), boards.keyData(4, 2));
    }

    // The next command connects again and runs to its end.
    fx.errors.clear();
    fx.clearTraffic();
    fx.pacer.onPause = nullptr;
    fx.form().menu().miScan->trigger();
    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(fx.writes().size(), kSlotCount);
    QCOMPARE(fx.transport->openCount(), opensBefore + 1);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        QCOMPARE(fx.form().panels().BoardCheckBoxes.at(slot)->isChecked(), boards.hasBoard(slot));
}

void TestBulkCommands::sendAllOrder_data()
{
    QTest::addColumn<bool>("keyNameOrder");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QList<int>>("keys");

    QList<int> listOrder;
    for (int k = 0; k < 30; ++k)
        listOrder.append(k == 17 ? 16 : k);
    QList<int> memoryOrder;
    for (int k = 0; k < 16; ++k)
        memoryOrder.append(k);
    memoryOrder << 27 << 28 << 29 << 26 << 25 << 24 << 23 << 22 << 21 << 20 << 19 << 18 << 16 << 16;

    QTest::addRow("key-name order on: keys 1-30 in list order, 閱讀 shown again")
        << true << 3 << listOrder;
    QTest::addRow("key-name order off: by key memory slot") << false << 3 << memoryOrder;
    QTest::addRow("no key selected before: none selected after") << false << -1 << memoryOrder;
}

void TestBulkCommands::sendAllOrder()
{
    QFETCH(bool, keyNameOrder);
    QFETCH(int, selected);
    QFETCH(QList<int>, keys);

    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    SetFlag(menu.TransAllOrder, keyNameOrder);
    SetFlag(menu.miRelaymodbus, false); // board frames name the key
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(4);
    fx.setBoardPresent(4, true);
    SceneStore &store = fx.form().sceneStore();
    for (int k = 0; k < kKeyCount; ++k)
        store.key(k + 1).board(4) = ScriptedBoards::InitialData(9, k);
    fx.form().keySwitch().selectKeyIndex(selected);
    fx.form().keySwitch().ComboBox1Enter();
    QStringList progress;
    fx.pacer.onPause = [&](int) { progress.append(fx.form().progress().text()); };

    menu.miSendAll->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(KeysOf(boards.keyWrites()), keys);
    // Each key went out with its stored data; keys 16 and 17 share a code on
    // the board, and 17 goes last.
    for (int k = 0; k < 30; ++k)
        if (k != 16 && k != 17)
            QCOMPARE(boards.keyData(4, k), ScriptedBoards::InitialData(9, k));
    QCOMPARE(boards.keyData(4, 16), ScriptedBoards::InitialData(9, 17));
    QCOMPARE(fx.keyList()->currentIndex(), selected);
    // The key selected before is shown again, so list and panels agree.
    QCOMPARE(store.shownKeyIndex(), selected >= 0 ? selected : keys.size() ? (keyNameOrder ? 29 : 17) : -1);
    if (selected >= 0)
        QCOMPARE(fx.lightBoard(4)->EncodeBoardData(), ScriptedBoards::InitialData(9, selected));
    QVERIFY(menu.miSendAll->isEnabled());
    QVERIFY(progress.contains(QStringLiteral("儲全部 30/30")));
    QVERIFY(fx.form().progress().text().isEmpty());
}

void TestBulkCommands::sendAllErrorStillRestores()
{
    MainWindowFixture fx;
    fx.setBoardPresent(1, true);
    fx.form().keySwitch().selectKeyIndex(2);
    fx.form().keySwitch().ComboBox1Enter();
    fx.transport->onWrite = [&](const QByteArray &) {
        if (fx.transport->writes().size() == 5)
            fx.transport->failWriteWith = QStringLiteral("write failed");
    };

    fx.form().menu().miSendAll->trigger();

    QCOMPARE(fx.errors.errors(), QStringList{QStringLiteral("write failed")});
    QCOMPARE(fx.writes().size(), 5);
    QCOMPARE(fx.keyList()->currentIndex(), 2);
    QCOMPARE(fx.form().sceneStore().shownKeyIndex(), 2);
    QVERIFY(fx.form().menu().miSendAll->isEnabled());
}

void TestBulkCommands::keyTest_data()
{
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<bool>("readFirst");
    QTest::addColumn<int>("startStep");
    QTest::addColumn<QStringList>("payloads");

    QTest::addRow("晴空 after a read: steps 1 2 3 4 1")
        << 0 << true << -1 << QStringList{"000111", "000112", "000113", "000114", "000111"};
    QTest::addRow("晴空, first test after start: step 0 then 1")
        << 0 << false << -1 << QStringList{"000110", "000111"};
    QTest::addRow("車庫燈 at step 1") << 16 << false << 0 << QStringList{"0009F1"};
    QTest::addRow("-- at step 2") << 15 << false << 1 << QStringList{"000102"};
    QTest::addRow("板3 / 鍵2 at step 4, then back to 1") << 39 << false << 3 << QStringList{"0011A4", "0011A1"};
    QTest::addRow("no key selected: nothing") << -1 << false << 2 << QStringList{};
}

void TestBulkCommands::keyTest()
{
    QFETCH(int, keyIndex);
    QFETCH(bool, readFirst);
    QFETCH(int, startStep);
    QFETCH(QStringList, payloads);

    MainWindowFixture fx;
    QComboBox *steps = fx.find<QComboBox>(QStringLiteral("ComboBox2"));
    fx.form().keySwitch().selectKeyIndex(keyIndex);
    steps->setCurrentIndex(startStep);
    if (readFirst)
        fx.form().menu().btnRead->trigger();
    fx.clearTraffic();

    for (int i = 0; i < qMax(1, int(payloads.size())); ++i)
        fx.form().menu().N6->trigger();

    QList<QByteArray> expected;
    for (const QString &p : payloads)
        expected.append(BoardFrame(Hex(p.toLatin1().constData())));
    QCOMPARE(fx.writes(), expected);
    if (payloads.isEmpty())
        QCOMPARE(steps->currentIndex(), startStep);
    QVERIFY(fx.errors.errors().isEmpty());
}

void TestBulkCommands::commandsStartedFromInside()
{
    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(1);
    menu.miScan->trigger();
    int nestedReads = 0;
    bool once = false;
    fx.pacer.onPause = [&](int) {
        if (once || fx.keyList()->currentIndex() != 3)
            return;
        once = true;
        // The user chooses commands while read-all runs.
        const int before = fx.writes().size();
        menu.miReadAll->trigger(); // disabled
        fx.form().miReadAllClick(); // refused while running
        menu.btnRead->trigger(); // one read of the key shown
        nestedReads = fx.writes().size() - before;
        menu.miSendAll->trigger(); // a whole send-all inside
    };

    menu.miReadAll->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QVERIFY(once);
    QCOMPARE(nestedReads, 1);
    QCOMPARE(boards.keyWrites().size(), 30);
    QVERIFY(menu.miReadAll->isEnabled());
    QVERIFY(menu.miSendAll->isEnabled());
    QVERIFY(menu.miScan->isEnabled());
    QVERIFY(!fx.form().busState().scanFlag);
    QVERIFY(fx.keyList()->isEnabled());
    QCOMPARE(fx.keyList()->currentIndex(), -1);
}

QTEST_MAIN(TestBulkCommands)
#include "tst_bulkcommands.moc"
