// Scan, read and send of one key through the main window's menu commands,
// on an in-memory bus with a virtual pacer.
#include "fakeviews.h"
#include "mainwindowfixture.h"
#include "scriptedboards.h"
#include "virtualpacer.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/mainpages.h"
#include "app/statusprogress.h"
#include "link/trafficlog.h"
#include "panels/ledindicator.h"
#include "panels/lightboard.h"
#include "protocol/boardframe.h"
#include "protocol/modbus.h"
#include "scenes/keycommands.h"
#include "scenes/keyswitch.h"
#include "scenes/scenestore.h"
#include "scenes/sceneviews.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The wire bytes of a request: "M:" + payload hex for a Modbus frame,
// "B:" + payload hex for a board frame.
QByteArray Wire(const QByteArray &request)
{
    const QByteArray payload = Hex(request.mid(2).constData());
    return request.startsWith("M:") ? ModbusWireText(payload) : BoardFrame(payload);
}

// The pacer's steps as text: "E" for event processing, "P<ms>" for a pause.
QString Steps(const std::vector<VirtualPacer::Step> &steps, size_t from = 0, size_t count = SIZE_MAX)
{
    QStringList out;
    for (size_t i = from; i < steps.size() && i - from < count; ++i)
        out.append(steps[i].kind == VirtualPacer::StepKind::Pause ? QStringLiteral("P%1").arg(steps[i].ms)
                                                                   : QStringLiteral("E"));
    return out.join(QLatin1Char(' '));
}

void SetFlag(QAction *item, bool on)
{
    if (item->isChecked() != on)
        item->trigger();
}

} // namespace

class TestKeyCommands : public QObject
{
    Q_OBJECT

private slots:
    void scanRequests_data();
    void scanRequests();
    void scanPacing_data();
    void scanPacing();
    void scanMarksBoardsThatAnswer_data();
    void scanMarksBoardsThatAnswer();
    void scanRestoresOnError_data();
    void scanRestoresOnError();
    void scanNotStartedTwice();
    void recentScan_data();
    void recentScan();
    void readRequests_data();
    void readRequests();
    void readPacingAndStep();
    void readWithoutKeyOrBoards();
    void readUsesKeySelectedMeanwhile();
    void sendRequests_data();
    void sendRequests();
    void sendMainDimmerData();
    void sendPacing();
    void flagsStartStatesAndToggle();
    void sixCircuitBoardFollowsReadAndSend();
};

void TestKeyCommands::scanRequests_data()
{
    QTest::addColumn<bool>("relayModbus");
    QTest::addColumn<bool>("cpuModbus");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("request");

    QTest::addRow("start flags: slot 7 reads register 1 whatever the key")
        << true << true << false << 5 << 7 << QByteArray("M:F10300010004");
    QTest::addRow("start flags: slot 1") << true << true << false << -1 << 1 << QByteArray("M:010300010004");
    QTest::addRow("CPU by board frame: slot 7, no key") << true << false << false << -1 << 7 << QByteArray("B:F10610");
    QTest::addRow("CPU by board frame: slot 19, no key") << true << false << false << -1 << 19 << QByteArray("B:F30610");
    QTest::addRow("CPU by board frame: slot 8, key 3") << true << false << false << 2 << 8 << QByteArray("B:F20630");
    QTest::addRow("CPU by board frame: relay slot 18 stays Modbus")
        << true << false << false << -1 << 18 << QByteArray("M:200300010004");
    QTest::addRow("relay off, key index 20: key number 21 in the high nibble")
        << false << true << false << 20 << 1 << QByteArray("B:010650");
    QTest::addRow("relay off, key index 15: key number 16 wraps to 00")
        << false << true << false << 15 << 12 << QByteArray("B:140600");
    QTest::addRow("read-only: the selection is cleared, key number 1")
        << false << true << true << 20 << 1 << QByteArray("B:010610");
}

void TestKeyCommands::scanRequests()
{
    QFETCH(bool, relayModbus);
    QFETCH(bool, cpuModbus);
    QFETCH(bool, readOnly);
    QFETCH(int, keyIndex);
    QFETCH(int, slot);
    QFETCH(QByteArray, request);

    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    SetFlag(menu.miRelaymodbus, relayModbus);
    SetFlag(menu.miCPUmodbus, cpuModbus);
    SetFlag(menu.miReadOnly, readOnly);
    fx.form().keySwitch().selectKeyIndex(keyIndex);
    fx.clearTraffic();

    menu.miScan->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(fx.writes().size(), kSlotCount);
    QCOMPARE(fx.writes().at(slot - 1), Wire(request));
    QCOMPARE(fx.keyList()->currentIndex(), readOnly ? -1 : keyIndex);
}

void TestKeyCommands::scanPacing_data()
{
    QTest::addColumn<bool>("relayModbus");
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("totalMs");

    // One step: the send with its own pacing, then events, d, events, d, events.
    QTest::addRow("start flags: Modbus send, d = 200, 19 x 600 ms")
        << true << "E E P200 E E P200 E P200 E" << 19 * 600;
    QTest::addRow("relay off: board frame, d = 300, 19 x 700 ms") << false << "P100 E P300 E P300 E" << 19 * 700;
}

void TestKeyCommands::scanPacing()
{
    QFETCH(bool, relayModbus);
    QFETCH(QString, step);
    QFETCH(int, totalMs);

    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    SetFlag(menu.miRelaymodbus, relayModbus);
    fx.form().trafficLog().LogLine(QStringLiteral("before the scan"), BusDirection::Note);
    fx.clearTraffic();

    // What the window shows while the scan runs, seen from its event points.
    QList<bool> scanEnabled;
    QList<bool> scanFlag;
    QStringList progress;
    fx.pacer.onProcessEvents = [&](int) {
        scanEnabled.append(menu.miScan->isEnabled());
        scanFlag.append(fx.form().busState().scanFlag);
        progress.append(fx.form().progress().text());
    };
    const QDateTime started = fx.pacer.now();
    menu.miScan->trigger();

    const auto &steps = fx.pacer.steps();
    const int perSlot = step.count(QLatin1Char(' ')) + 1;
    QCOMPARE(int(steps.size()), kSlotCount * perSlot);
    for (int slot = 0; slot < kSlotCount; ++slot)
        QCOMPARE(Steps(steps, size_t(slot * perSlot), size_t(perSlot)), step);
    QCOMPARE(fx.pacer.totalPauseMs(), qint64(totalMs));

    QVERIFY(!scanEnabled.contains(true));
    QVERIFY(!scanFlag.contains(false));
    QVERIFY(progress.contains(QStringLiteral("掃描 1/19")));
    QVERIFY(progress.contains(QStringLiteral("掃描 19/19")));
    QVERIFY(menu.miScan->isEnabled());
    QVERIFY(!fx.form().busState().scanFlag);
    QVERIFY(fx.form().busState().scanned);
    QCOMPARE(fx.form().busState().lastScanTime, started);
    // The log was cleared when the scan started: it holds the 19 requests.
    QCOMPARE(fx.form().trafficLog().lineCount(), kSlotCount);
    QVERIFY(fx.form().progress().text().isEmpty());
}

void TestKeyCommands::scanMarksBoardsThatAnswer_data()
{
    QTest::addColumn<bool>("relayModbus");

    QTest::addRow("Modbus replies") << true;
    QTest::addRow("board frame replies 48 0B") << false;
}

void TestKeyCommands::scanMarksBoardsThatAnswer()
{
    QFETCH(bool, relayModbus);

    MainWindowFixture fx;
    SetFlag(fx.form().menu().miRelaymodbus, relayModbus);
    ScriptedBoards boards(*fx.transport, fx.pacer);
    for (int slot : {2, 7, 12, 19})
        boards.addBoard(slot);
    // Every checkbox set before: the scan clears the ones that stay silent.
    for (int slot = 1; slot <= kSlotCount; ++slot)
        fx.setBoardPresent(slot, true);
    TfmLightBoard *panel2 = fx.lightBoard(2);
    const QByteArray shownBefore = panel2->EncodeBoardData();
    fx.form().keySwitch().selectKeyIndex(4);

    fx.form().menu().miScan->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    for (int slot = 1; slot <= kSlotCount; ++slot)
        QCOMPARE(fx.form().panels().BoardCheckBoxes.at(slot)->isChecked(), boards.hasBoard(slot));
    // The replies carry another key's data than the shown key's: they stay off the panels.
    QCOMPARE(panel2->EncodeBoardData(), shownBefore);

    // A reply that arrives after the scan has ended is not counted.
    fx.setBoardPresent(2, false);
    fx.transport->inject(ModbusWireText(Hex("020308") + ScriptedBoards::InitialData(2, 0)));
    QVERIFY(!fx.form().panels().BoardCheckBoxes.at(2)->isChecked());
}

void TestKeyCommands::scanRestoresOnError_data()
{
    QTest::addColumn<int>("failingWrite");

    QTest::addRow("link cannot be written at slot 1") << 0;
    QTest::addRow("link fails at slot 9") << 8;
}

void TestKeyCommands::scanRestoresOnError()
{
    QFETCH(int, failingWrite);

    MainWindowFixture fx;
    fx.transport->failWriteWith = failingWrite == 0 ? QStringLiteral("port gone") : QString();
    fx.transport->onWrite = [&](const QByteArray &) {
        if (fx.transport->writes().size() == failingWrite)
            fx.transport->failWriteWith = QStringLiteral("port gone");
    };

    fx.form().menu().miScan->trigger();

    QCOMPARE(fx.errors.errors(), QStringList{QStringLiteral("port gone")});
    QCOMPARE(fx.writes().size(), failingWrite);
    QVERIFY(fx.form().menu().miScan->isEnabled());
    QVERIFY(!fx.form().busState().scanFlag);
    QVERIFY(fx.form().progress().text().isEmpty());
}

void TestKeyCommands::scanNotStartedTwice()
{
    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    int nested = -1;
    fx.pacer.onProcessEvents = [&](int point) {
        if (point != 10)
            return;
        // From inside the scan: the menu item is disabled, a direct call adds nothing.
        const int before = fx.writes().size();
        menu.miScan->trigger();
        fx.form().miScanClick();
        nested = fx.writes().size() - before;
    };

    menu.miScan->trigger();

    QCOMPARE(nested, 0);
    QCOMPARE(fx.writes().size(), kSlotCount);
    QVERIFY(menu.miScan->isEnabled());
    QVERIFY(!fx.form().busState().scanFlag);
}

void TestKeyCommands::recentScan_data()
{
    QTest::addColumn<bool>("scan");
    QTest::addColumn<qint64>("afterStartMs");
    QTest::addColumn<bool>("recent");

    QTest::addRow("no scan since start") << false << qint64(0) << false;
    QTest::addRow("9:59 after the scan started") << true << qint64(599'000) << true;
    QTest::addRow("just under 10 minutes") << true << qint64(599'999) << true;
    QTest::addRow("exactly 10 minutes") << true << qint64(600'000) << false;
    QTest::addRow("an hour") << true << qint64(3'600'000) << false;
}

void TestKeyCommands::recentScan()
{
    QFETCH(bool, scan);
    QFETCH(qint64, afterStartMs);
    QFETCH(bool, recent);

    MainWindowFixture fx;
    const qint64 start = fx.pacer.elapsedMs();
    if (scan)
        fx.form().menu().miScan->trigger();
    fx.pacer.advance(start + afterStartMs - fx.pacer.elapsedMs());
    QCOMPARE(fx.form().keyCommands().recentScan(), recent);
}

void TestKeyCommands::readRequests_data()
{
    QTest::addColumn<bool>("relayModbus");
    QTest::addColumn<bool>("cpuModbus");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("request");

    QTest::addRow("浴室 from slot 1 by board frame") << false << true << 2 << 1 << QByteArray("B:010630");
    QTest::addRow("浴室 from slot 1 by Modbus") << true << true << 2 << 1 << QByteArray("M:010300090004");
    QTest::addRow("浴室 from slot 19 by Modbus") << true << true << 2 << 19 << QByteArray("M:F30310890004");
    QTest::addRow("車庫燈 from slot 3 by board frame") << false << true << 16 << 3 << QByteArray("B:030EF0");
    QTest::addRow("勿擾 (index 29) from slot 19 by Modbus") << true << true << 29 << 19 << QByteArray("M:F30310D10004");
    QTest::addRow("參數 (index 27, slot 16) from slot 10 by Modbus")
        << true << true << 27 << 10 << QByteArray("M:120300410004");
    QTest::addRow("CPU board by board frame under CPU flag off") << true << false << 2 << 7 << QByteArray("B:F10630");
    QTest::addRow("板1 / 鍵1 (index 30) has no register: board frame")
        << true << true << 30 << 1 << QByteArray("B:011610");
    QTest::addRow("板5 / 鍵1 (index 50) has no register: board frame")
        << true << true << 50 << 19 << QByteArray("B:F31E50");
}

void TestKeyCommands::readRequests()
{
    QFETCH(bool, relayModbus);
    QFETCH(bool, cpuModbus);
    QFETCH(int, keyIndex);
    QFETCH(int, slot);
    QFETCH(QByteArray, request);

    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    SetFlag(menu.miRelaymodbus, relayModbus);
    SetFlag(menu.miCPUmodbus, cpuModbus);
    fx.setBoardPresent(slot, true);
    fx.form().keySwitch().selectKeyIndex(keyIndex);
    fx.clearTraffic();

    menu.btnRead->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(fx.writes(), QList<QByteArray>{Wire(request)});
}

void TestKeyCommands::readPacingAndStep()
{
    MainWindowFixture fx;
    fx.setBoardPresent(4, true);
    fx.setBoardPresent(19, true);
    fx.form().keySwitch().selectKeyIndex(0);
    fx.clearTraffic();
    QStringList progress;
    fx.pacer.onProcessEvents = [&](int) { progress.append(fx.form().progress().text()); };

    fx.form().menu().btnRead->trigger();

    // Per present slot: events, the Modbus send, events twice, 3 x (100 ms, events).
    const QString slot = QStringLiteral("E E E P200 E E E P100 E P100 E P100 E");
    QCOMPARE(Steps(fx.pacer.steps()), slot + QLatin1Char(' ') + slot);
    QCOMPARE(fx.pacer.totalPauseMs(), qint64(2 * 500));
    QCOMPARE(fx.writes(), (QList<QByteArray>{Wire("M:040300010004"), Wire("M:F30310810004")}));
    QCOMPARE(fx.find<QComboBox>(QStringLiteral("ComboBox2"))->currentText(), QStringLiteral("1"));
    QVERIFY(progress.contains(QStringLiteral("讀按鍵 4/19")));
    QVERIFY(progress.contains(QStringLiteral("讀按鍵 19/19")));
    QVERIFY(fx.form().progress().text().isEmpty());
}

void TestKeyCommands::readWithoutKeyOrBoards()
{
    MainWindowFixture fx;
    QComboBox *steps = fx.find<QComboBox>(QStringLiteral("ComboBox2"));
    fx.setBoardPresent(1, true);
    fx.clearTraffic();

    // No key selected: nothing at all, not even the step.
    fx.form().menu().btnRead->trigger();
    fx.form().menu().miSendKey->trigger();
    QVERIFY(fx.writes().isEmpty());
    QVERIFY(fx.pacer.steps().empty());
    QCOMPARE(steps->currentIndex(), -1);

    // A key but no board: no request, the step goes back to "1".
    fx.setBoardPresent(1, false);
    steps->setCurrentIndex(2);
    fx.form().keySwitch().selectKeyIndex(3);
    fx.form().menu().btnRead->trigger();
    fx.form().menu().miSendKey->trigger();
    QVERIFY(fx.writes().isEmpty());
    QCOMPARE(steps->currentIndex(), 0);
    QVERIFY(fx.errors.errors().isEmpty());
}

void TestKeyCommands::readUsesKeySelectedMeanwhile()
{
    MainWindowFixture fx;
    fx.setBoardPresent(1, true);
    fx.setBoardPresent(2, true);
    fx.setBoardPresent(3, true);
    fx.form().keySwitch().selectKeyIndex(0);
    fx.clearTraffic();
    fx.pacer.onProcessEvents = [&](int point) {
        if (point == 8) // after slot 1's request, the user picks 浴室
            fx.form().keySwitch().selectKeyIndex(2);
        if (point == 18) // before slot 3's, a scan in read-only mode clears it
            fx.form().keySwitch().selectKeyIndex(-1);
    };

    fx.form().menu().btnRead->trigger();

    QCOMPARE(fx.writes(), (QList<QByteArray>{Wire("M:010300010004"), Wire("M:020300090004")}));
    QVERIFY(fx.errors.errors().isEmpty());
}

void TestKeyCommands::sendRequests_data()
{
    QTest::addColumn<bool>("relayModbus");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("request");

    // The panel's data below are 0F 01 0F 02 0F 04 0F 08.
    QTest::addRow("-- to slot 2 by board frame") << false << 15 << 2 << QByteArray("B:020400" "0F010F020F040F08");
    QTest::addRow("浴室 to slot 1 by Modbus")
        << true << 2 << 1 << QByteArray("M:01100009000408" "0F010F020F040F08");
    QTest::addRow("車庫燈 to six-key slot 9 by Modbus, slot 30's register")
        << true << 16 << 9 << QByteArray("M:11100079000408" "0F010F020F040F08");
    QTest::addRow("板2 / 鍵1 (index 34) on the Modbus route goes by board frame")
        << true << 34 << 5 << QByteArray("B:051450" "0F010F020F040F08");
}

void TestKeyCommands::sendRequests()
{
    QFETCH(bool, relayModbus);
    QFETCH(int, keyIndex);
    QFETCH(int, slot);
    QFETCH(QByteArray, request);

    MainWindowFixture fx;
    SetFlag(fx.form().menu().miRelaymodbus, relayModbus);
    fx.setBoardPresent(slot, true);
    fx.lightBoard(slot)->DecodeBoardData(Hex("0F010F020F040F08"));
    fx.form().keySwitch().selectKeyIndex(keyIndex);
    fx.clearTraffic();

    fx.form().menu().miSendKey->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(fx.writes(), QList<QByteArray>{Wire(request)});
    // The send writes what the panels show; the store is not touched.
    QVERIFY(fx.form().sceneStore().key(keyIndex + 1).board(slot).isEmpty());
}

void TestKeyCommands::sendMainDimmerData()
{
    MainWindowFixture fx;
    FakeMainDimmer dimmer;
    fx.form().sceneStore().bindMainDimmerView(&dimmer);
    // Group 1 enabled at 1, 2, 3, 0; group 2 disabled at 0, 0, 0, 3.
    dimmer.enabled[0] = true;
    const int levels[2][4] = {{1, 2, 3, 0}, {0, 0, 0, 3}};
    for (int g = 0; g < 2; ++g)
        for (int c = 0; c < 4; ++c)
            dimmer.levels[g][c] = levels[g][c];
    fx.setBoardPresent(19, true);
    fx.form().keySwitch().selectKeyIndex(0);
    fx.clearTraffic();

    fx.form().menu().miSendKey->trigger();

    QCOMPARE(fx.writes(), QList<QByteArray>{Wire("M:F3101081000408" "010101020103010C")});
}

void TestKeyCommands::sendPacing()
{
    MainWindowFixture fx;
    SetFlag(fx.form().menu().miCPUmodbus, false);
    fx.setBoardPresent(1, true);
    fx.setBoardPresent(8, true);
    fx.form().keySwitch().selectKeyIndex(1);
    fx.clearTraffic();
    QStringList progress;
    fx.pacer.onProcessEvents = [&](int) { progress.append(fx.form().progress().text()); };

    fx.form().menu().miSendKey->trigger();

    // Slot 1 by Modbus (its own pacing), slot 8 (CPU) by board frame; 300 ms after each.
    QCOMPARE(Steps(fx.pacer.steps()), QStringLiteral("E E P200 E E P300 P100 E P300"));
    QCOMPARE(fx.writes().size(), 2);
    QCOMPARE(fx.writes().at(1).left(5), Hex("480BF20420"));
    QVERIFY(progress.contains(QStringLiteral("儲按鍵 1/19")));
    QVERIFY(progress.contains(QStringLiteral("儲按鍵 8/19")));
}

void TestKeyCommands::flagsStartStatesAndToggle()
{
    MainWindowFixture fx;
    MainMenu &menu = fx.form().menu();
    QCOMPARE(menu.mi6LightsAction->isChecked(), false);
    QCOMPARE(menu.miRelaymodbus->isChecked(), true);
    QCOMPARE(menu.miReadOnly->isChecked(), false);
    QCOMPARE(menu.miCPUmodbus->isChecked(), true);
    QCOMPARE(menu.TransAllOrder->isChecked(), false);

    // The route follows the flags at the moment the command reads them.
    fx.setBoardPresent(7, true);
    fx.form().keySwitch().selectKeyIndex(0);
    fx.clearTraffic();
    menu.btnRead->trigger();
    menu.miCPUmodbus->trigger();
    menu.btnRead->trigger();
    QCOMPARE(fx.writes(), (QList<QByteArray>{Wire("M:F10300010004"), Wire("B:F10610")}));
}

void TestKeyCommands::sixCircuitBoardFollowsReadAndSend()
{
    MainWindowFixture fx;
    MainPages &pages = fx.form().pages();
    fx.setBoardPresent(1, true);
    fx.form().keySwitch().selectKeyIndex(0);
    const auto prefixes = [&] {
        QList<QByteArray> out;
        for (const QByteArray &w : fx.writes())
            out.append(w.left(5));
        return out;
    };

    // "開啟" clear: the board's requests only.
    fx.clearTraffic();
    fx.form().menu().btnRead->trigger();
    fx.form().menu().miSendKey->trigger();
    QCOMPARE(prefixes(), (QList<QByteArray>{":0103", ":0110"}));

    // "開啟" set: the six circuits of machine 6 follow the board's request.
    pages.se6LightsMno->setValue(6);
    pages.cb6LightsEnabled->setChecked(true);
    fx.clearTraffic();
    fx.form().menu().btnRead->trigger();
    QCOMPARE(prefixes(), (QList<QByteArray>{":0103", ":0603", ":0603", ":0603", ":0603", ":0603", ":0603"}));
    fx.clearTraffic();
    fx.form().menu().miSendKey->trigger();
    QCOMPARE(prefixes(), (QList<QByteArray>{":0110", ":0610", ":0610", ":0610", ":0610", ":0610", ":0610"}));
    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
}

QTEST_MAIN(TestKeyCommands)
#include "tst_keycommands.moc"
