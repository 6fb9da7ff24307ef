
#include "mainwindowfixture.h"
#include "virtualpacer.h"

#include "app/mainmenu.h"
#include "panels/sixcircuit.h"
#include "panels/sixcircuitpage.h"
#include "scenes/sixcircuitregisters.h"
#include "protocol/kvterror.h"
#include "scenes/keyswitch.h"
#include "scenes/scenefilestorage.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray Bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray Wire(const char *text)
{
    return QByteArray(text) + "\r\n";
}

QList<int> Levels(const Tfm6Lights *panel)
{
    QList<int> levels;
    for (int n = 1; n <= kCircuitLevelBars; ++n)
        levels.append(panel->levelBar(n)->value());
    return levels;
}

QList<int> Pauses(const VirtualPacer &pacer)
{
    QList<int> pauses;
    for (const auto &step : pacer.steps())
        if (step.kind == VirtualPacer::StepKind::Pause)
            pauses.append(step.ms);
    return pauses;
}

} // namespace

class TestSixCircuit : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> fx;

    Tfm6Lights *panel(int c) const { return fx->find<Tfm6Lights>(QStringLiteral("fm6Lights%1").arg(c)); }
    QAction *liveAction() const { return fx->form().menu().mi6LightsAction; }
    QCheckBox *pageEnabled() const { return fx->find<QCheckBox>(QStringLiteral("cb6LightsEnabled")); }
    QString statusText() const { return fx->form().statusBar()->currentMessage(); }
    // Selects a key without a key switch, as the commands do.
    void selectKey(int keyIndex) { fx->form().keySwitch().selectKeyIndex(keyIndex); }
    // Lets more than the live-write throttle pass since start-up.
    void waitPastThrottle() { fx->pacer.advance(kCircuitLiveThrottleMs + 1); }

private slots:
    void init()
    {
        fx = std::make_unique<MainWindowFixture>();
        fx->clearTraffic();
    }
    void cleanup() { fx.reset(); }

    void panelsAreBuiltAndBound()
    {
        for (int c = 1; c <= kCircuitCount; ++c) {
            Tfm6Lights *p = panel(c);
            QVERIFY(p);
            QCOMPARE(p->circuit(), c);
            QCOMPARE(fx->form().panels().DimmerPanels.at(c), p);
            QVERIFY(p->enabledBox()->isChecked());
            QCOMPARE(p->elapseBox()->value(), 20);
            QCOMPARE(Levels(p), QList<int>({0, 0, 0, 0}));
            QCOMPARE(p->sendButton()->text(), QStringLiteral("傳"));
            QCOMPARE(p->readButton()->text(), QStringLiteral("讀"));
        }
        QCOMPARE(panel(1)->levelBar(1)->pageStep(), 5);
        QCOMPARE(panel(1)->levelBar(2)->pageStep(), 1);
        QCOMPARE(panel(1)->levelBar(4)->maximum(), 63);
        QCOMPARE(panel(1)->elapseBox()->maximum(), 127);
    }

    void encodeCircuitData_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("elapse");
        QTest::addColumn<QByteArray>("data");
        QTest::addRow("10 20 30 40 enabled elapse 20") << QList<int>{10, 20, 30, 40} << true << 20 << Bytes("8A545E28");
        QTest::addRow("63 0 0 0 disabled elapse 127") << QList<int>{63, 0, 0, 0} << false << 127 << Bytes("7FC0C0C0");
        QTest::addRow("all zero disabled elapse 0") << QList<int>{0, 0, 0, 0} << false << 0 << Bytes("00000000");
        QTest::addRow("elapse 42 spread over bytes 1 to 3") << QList<int>{1, 2, 3, 4} << true << 42 << Bytes("81828384");
    }

    void encodeCircuitData()
    {
        QFETCH(QList<int>, levels);
        QFETCH(bool, enabled);
        QFETCH(int, elapse);
        QFETCH(QByteArray, data);
        Tfm6Lights *p = panel(3);
        for (int n = 1; n <= kCircuitLevelBars; ++n)
            p->levelBar(n)->setValue(levels[n - 1]);
        p->enabledBox()->setChecked(enabled);
        p->elapseBox()->setValue(elapse);
        QCOMPARE(p->EncodeCircuitData().toHex(' '), data.toHex(' '));
    }

    void decodeCircuitData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("elapse");
        QTest::addColumn<QByteArray>("storedBack");
        QTest::addRow("8A 54 5E 28") << Bytes("8A545E28") << QList<int>{10, 20, 30, 40} << true << 20 << Bytes("8A545E28");
        QTest::addRow("7F C0 C0 C0") << Bytes("7FC0C0C0") << QList<int>{63, 0, 0, 0} << false << 127 << Bytes("7FC0C0C0");
        QTest::addRow("three bytes show the default") << Bytes("8A545E") << QList<int>{63, 63, 63, 63} << true << 127 << Bytes("FFFFFFFF");
        QTest::addRow("empty shows the default") << QByteArray() << QList<int>{63, 63, 63, 63} << true << 127 << Bytes("FFFFFFFF");
        QTest::addRow("five bytes use the first four") << Bytes("8A545E2899") << QList<int>{10, 20, 30, 40} << true << 20 << Bytes("8A545E28");
    }

    void decodeCircuitData()
    {
        QFETCH(QByteArray, data);
        QFETCH(QList<int>, levels);
        QFETCH(bool, enabled);
        QFETCH(int, elapse);
        QFETCH(QByteArray, storedBack);
        Tfm6Lights *p = panel(2);
        p->enabledBox()->setChecked(!enabled);
        p->DecodeCircuitData(data);
        QCOMPARE(Levels(p), levels);
        QCOMPARE(p->enabledBox()->isChecked(), enabled);
        QCOMPARE(p->elapseBox()->value(), elapse);
        QCOMPARE(p->EncodeCircuitData().toHex(' '), storedBack.toHex(' '));
        QVERIFY(fx->writes().isEmpty());
    }

    void enabledFlagShowsAndHidesTheBars()
    {
        Tfm6Lights *p = panel(4);
        p->DecodeCircuitData(Bytes("0A141E28"));
        for (int n = 1; n <= kCircuitLevelBars; ++n)
            QVERIFY(p->levelBar(n)->isHidden());
        QVERIFY(!p->elapseBox()->isHidden());
        QVERIFY(!p->titleEdit()->isHidden());
        p->enabledBox()->setChecked(true);
        for (int n = 1; n <= kCircuitLevelBars; ++n)
            QVERIFY(!p->levelBar(n)->isHidden());
    }

    void circuitRegisterTable()
    {
        const QList<int> expected = {0x000, 0x00C, 0x018, 0x024, 0x030, 0x03C, 0x048, 0x054,
                                     0x060, 0x06C, 0x078, 0x084, 0x090, 0x09C, 0x0A8, 0x0B4,
                                     0x168, 0x168, 0x15C, 0x150, 0x144, 0x138, 0x12C, 0x120,
                                     0x114, 0x108, 0x0FC, 0x0C0, 0x0E4, 0x0F0};
        for (int k = 0; k < expected.size(); ++k)
            QCOMPARE(int(CircuitRegisterTable(k)), expected[k]);
        QVERIFY(!HasCircuitRegisters(-1));
        QVERIFY(!HasCircuitRegisters(30));
        QVERIFY_THROWS_EXCEPTION(KvtError, CircuitRegisterTable(30));
    }

    void sendAndReadAddressTheKeysRegisters_data()
    {
        QTest::addColumn<int>("keyIndex");
        QTest::addColumn<int>("circuit");
        QTest::addColumn<int>("machineNumber");
        QTest::addColumn<QByteArray>("sendWire");
        QTest::addColumn<QByteArray>("readWire");
        // Each panel shows 10, 20, 30, 40, enabled, elapse 20 (8A 54 5E 28).
        QTest::addRow("key 0 circuit 1 from 0x1000")
            << 0 << 1 << 4 << Wire(":041010000002048A545E2872") << Wire(":040310000002E7");
        QTest::addRow("key 15 circuit 6 from 0x10BE")
            << 15 << 6 << 4 << Wire(":041010BE0002048A545E28B4") << Wire(":040310BE000229");
        QTest::addRow("key 16 circuit 1 from 0x1168")
            << 16 << 1 << 4 << Wire(":041011680002048A545E2809") << Wire(":0403116800027E");
        QTest::addRow("key 17 shares key 16's registers")
            << 17 << 1 << 4 << Wire(":041011680002048A545E2809") << Wire(":0403116800027E");
        QTest::addRow("key 29 circuit 1 from 0x10F0")
            << 29 << 1 << 4 << Wire(":041010F00002048A545E2882") << Wire(":040310F00002F7");
        QTest::addRow("machine number 7 circuit 6 of key 0")
            << 0 << 6 << 7 << Wire(":0710100A0002048A545E2865") << Wire(":0703100A0002DA");
    }

    void sendAndReadAddressTheKeysRegisters()
    {
        QFETCH(int, keyIndex);
        QFETCH(int, circuit);
        QFETCH(int, machineNumber);
        QFETCH(QByteArray, sendWire);
        QFETCH(QByteArray, readWire);
        panel(circuit)->DecodeCircuitData(Bytes("8A545E28"));
        fx->find<QSpinBox>(QStringLiteral("se6LightsMno"))->setValue(machineNumber);
        selectKey(keyIndex);
        fx->clearTraffic();

        QTest::mouseClick(panel(circuit)->sendButton(), Qt::LeftButton);
        QTest::mouseClick(panel(circuit)->readButton(), Qt::LeftButton);

        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        QCOMPARE(fx->writes(), QList<QByteArray>({sendWire, readWire}));
        QCOMPARE(fx->form().busState().AwaitedCircuit, circuit);
        // Each send waits 200 ms; the replies are left to the events after it.
        QCOMPARE(Pauses(fx->pacer), QList<int>({200, 200}));
        QCOMPARE(fx->pacer.steps().back().kind, VirtualPacer::StepKind::ProcessEvents);
    }

    void sendAndReadRefuseKeysWithoutRegisters_data()
    {
        QTest::addColumn<int>("keyIndex");
        QTest::addColumn<QString>("sendStatus");
        QTest::addColumn<QString>("readStatus");
        QTest::addRow("no key selected") << -1 << QStringLiteral("6回調光第2回路未傳送：未選按鍵")
                                          << QStringLiteral("6回調光第2回路未讀取：未選按鍵");
        QTest::addRow("key 30") << 30 << QStringLiteral("6回調光第2回路未傳送：按鍵「板1 / 鍵1」沒有6回調光的暫存器")
                                << QStringLiteral("6回調光第2回路未讀取：按鍵「板1 / 鍵1」沒有6回調光的暫存器");
        QTest::addRow("key 61") << 61 << QStringLiteral("6回調光第2回路未傳送：按鍵「板8 / 鍵4」沒有6回調光的暫存器")
                                << QStringLiteral("6回調光第2回路未讀取：按鍵「板8 / 鍵4」沒有6回調光的暫存器");
    }

    void sendAndReadRefuseKeysWithoutRegisters()
    {
        QFETCH(int, keyIndex);
        QFETCH(QString, sendStatus);
        QFETCH(QString, readStatus);
        selectKey(keyIndex);
        fx->form().busState().AwaitedCircuit = 5;

        QTest::mouseClick(panel(2)->sendButton(), Qt::LeftButton);
        QCOMPARE(statusText(), sendStatus);
        QTest::mouseClick(panel(2)->readButton(), Qt::LeftButton);
        QCOMPARE(statusText(), readStatus);

        QVERIFY(fx->writes().isEmpty());
        QVERIFY(fx->pacer.steps().empty());
        QCOMPARE(fx->form().busState().AwaitedCircuit, 5);
        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
    }

    void liveLevelWriteAndItsThrottle_data()
    {
        QTest::addColumn<int>("laterMs");
        QTest::addColumn<bool>("secondSent");
        QTest::addRow("50 ms after the write returned: dropped") << 50 << false;
        QTest::addRow("exactly 100 ms: dropped") << 100 << false;
        QTest::addRow("101 ms: sent") << 101 << true;
        QTest::addRow("clock set back a minute: sent") << -60000 << true;
    }

    void liveLevelWriteAndItsThrottle()
    {
        QFETCH(int, laterMs);
        QFETCH(bool, secondSent);
        liveAction()->setChecked(true);
        waitPastThrottle();

        panel(2)->levelBar(3)->setValue(40);
        QCOMPARE(fx->writes(), QList<QByteArray>({Wire(":0410810100010228013E")}));

        fx->pacer.advance(laterMs);
        panel(2)->levelBar(3)->setValue(41);
        QCOMPARE(fx->writes().size(), secondSent ? 2 : 1);
        if (secondSent)
            QCOMPARE(fx->writes().at(1), Wire(":0410810100010229013D"));
        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
    }

    void liveWritesArePerPanel()
    {
        liveAction()->setChecked(true);
        waitPastThrottle();
        panel(1)->levelBar(1)->setValue(5);
        panel(6)->levelBar(4)->setValue(6);
        QCOMPARE(fx->writes(), QList<QByteArray>({Wire(":04108100000102050162"),
                                                  Wire(":0410810500010206015C")}));
    }

    void noLiveWriteWhileTheOptionIsOff()
    {
        waitPastThrottle();
        panel(2)->levelBar(1)->setValue(33);
        QVERIFY(fx->writes().isEmpty());
        // The option is read at the change; turning it on sends nothing by itself.
        fx->form().mi6LightsActionClick(liveAction());
        QVERIFY(liveAction()->isChecked());
        QVERIFY(fx->writes().isEmpty());
    }

    void aMoveDuringThePanelsOwnLiveWriteIsDropped()
    {
        liveAction()->setChecked(true);
        waitPastThrottle();
        // The user drags on while the first write lets events through.
        fx->pacer.onProcessEvents = [this](int index) {
            if (index == 0)
                panel(2)->levelBar(3)->setValue(41);
        };
        panel(2)->levelBar(3)->setValue(40);
        QCOMPARE(fx->writes(), QList<QByteArray>({Wire(":0410810100010228013E")}));
        QCOMPARE(panel(2)->levelBar(3)->value(), 41);
    }

    void keySwitchSendsOneLiveWritePerChangedCircuit()
    {
        SceneStore &store = fx->form().sceneStore();
        // Key 1: circuit 1 changes all four levels, circuit 3 only level 1; the
        // others hold what the panels show now (levels 0, enabled).
        for (int c = 1; c <= kCircuitCount; ++c)
            store.key(1).circuit(c) = Bytes("80000000");
        store.key(1).circuit(1) = Bytes("8A545E28");
        store.key(1).circuit(3) = Bytes("85000000");
        liveAction()->setChecked(true);
        waitPastThrottle();

        fx->userSelectKey(0);

        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        QCOMPARE(fx->writes(), QList<QByteArray>({Wire(":041081000001020A015D"),
                                                  Wire(":04108102000102050160")}));
        QCOMPARE(Levels(panel(1)), QList<int>({10, 20, 30, 40}));
    }

    void keySwitchStoresAndShowsTheCircuits()
    {
        SceneStore &store = fx->form().sceneStore();
        store.key(2).circuit(4) = Bytes("8A545E28");
        fx->userSelectKey(1);
        QCOMPARE(Levels(panel(4)), QList<int>({10, 20, 30, 40}));
        // Key 2 held nothing for circuit 5: it shows the default ...
        QCOMPARE(Levels(panel(5)), QList<int>({63, 63, 63, 63}));
        panel(4)->levelBar(2)->setValue(21);
        fx->userSelectKey(0);
        QCOMPARE(store.key(2).circuit(4).toHex(' '), Bytes("8A555E28").toHex(' '));
        // ... and stores it back as FF FF FF FF.
        QCOMPARE(store.key(2).circuit(5).toHex(' '), Bytes("FFFFFFFF").toHex(' '));
    }

    void bulkCommandsActOnlyWhileEnabled_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addRow("開啟 clear: nothing") << false;
        QTest::addRow("開啟 set: six circuits") << true;
    }

    void bulkCommandsActOnlyWhileEnabled()
    {
        QFETCH(bool, enabled);
        pageEnabled()->setChecked(enabled);
        selectKey(2);
        fx->clearTraffic();

        QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsSendAll")), Qt::LeftButton);
        if (!enabled) {
            QVERIFY(fx->writes().isEmpty());
            QVERIFY(fx->pacer.steps().empty());
            // The panel's own buttons still work.
            QTest::mouseClick(panel(3)->sendButton(), Qt::LeftButton);
            QTest::mouseClick(panel(3)->readButton(), Qt::LeftButton);
            QCOMPARE(fx->writes().size(), 2);
            fx->clearTraffic();
            QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsGetAll")), Qt::LeftButton);
            QVERIFY(fx->writes().isEmpty());
            return;
        }
        // Key index 2: registers from 0x1018, two per circuit; each circuit's
        // send waits 200 ms, then the loop 100 ms.
        QCOMPARE(fx->writes().size(), kCircuitCount);
        for (int c = 1; c <= kCircuitCount; ++c)
            QVERIFY2(fx->writes().at(c - 1).startsWith(
                         QByteArray(":041010") + QByteArray::number(0x18 + 2 * (c - 1), 16).toUpper() + "000204"),
                     fx->writes().at(c - 1).constData());
        QCOMPARE(Pauses(fx->pacer), QList<int>({200, 100, 200, 100, 200, 100, 200, 100, 200, 100, 200, 100}));
    }

    void readAllAwaitsEachCircuitInTurn()
    {
        pageEnabled()->setChecked(true);
        selectKey(0);
        fx->clearTraffic();
        // The events after each 100 ms wait see the circuit just read awaited.
        QList<int> awaitedAfterWait;
        bool afterWait = false;
        fx->pacer.onPause = [&](int) { afterWait = fx->pacer.steps().back().ms == kSixCircuitBulkPauseMs; };
        fx->pacer.onProcessEvents = [&](int) {
            if (afterWait)
                awaitedAfterWait.append(fx->form().busState().AwaitedCircuit);
            afterWait = false;
        };

        fx->form().btn6LightsGetAllClick();

        QCOMPARE(awaitedAfterWait, QList<int>({1, 2, 3, 4, 5, 6}));
        QCOMPARE(fx->writes().size(), kCircuitCount);
        QCOMPARE(fx->writes().at(5), Wire(":0403100A0002DD"));
        QCOMPARE(Pauses(fx->pacer), QList<int>({200, 100, 200, 100, 200, 100, 200, 100, 200, 100, 200, 100}));
    }

    void readAllShowsEachReplyOnItsCircuit()
    {
        pageEnabled()->setChecked(true);
        selectKey(0);
        fx->clearTraffic();
        // Circuit c answers levels 10c, 0, 0, 0, enabled, elapse 20, late:
        // at the events after the 100 ms wait that follows its read.
        const QList<QByteArray> replies = {Wire(":0403048A404000EB"), Wire(":04030494404000E1"),
                                           Wire(":0403049E404000D7"), Wire(":040304A8404000CD"),
                                           Wire(":040304B2404000C3"), Wire(":040304BC404000B9")};
        bool afterWait = false;
        fx->pacer.onPause = [&](int) { afterWait = fx->pacer.steps().back().ms == kSixCircuitBulkPauseMs; };
        fx->pacer.onProcessEvents = [&](int) {
            if (afterWait)
                fx->transport->inject(replies.at(fx->form().busState().AwaitedCircuit - 1));
            afterWait = false;
        };

        QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsGetAll")), Qt::LeftButton);

        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        for (int c = 1; c <= kCircuitCount; ++c) {
            QCOMPARE(Levels(panel(c)), QList<int>({10 * c, 0, 0, 0}));
            QCOMPARE(panel(c)->elapseBox()->value(), 20);
        }
    }

    void keyReadAndSendRunTheBulkCommandsWhileEnabled_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addRow("開啟 set") << true;
        QTest::addRow("開啟 clear") << false;
    }

    void keyReadAndSendRunTheBulkCommandsWhileEnabled()
    {
        QFETCH(bool, enabled);
        pageEnabled()->setChecked(enabled);
        selectKey(1);
        fx->clearTraffic();
        // No board checkbox is set: only the six circuits go out.
        fx->form().miSendKeyClick();
        const int circuitFrames = enabled ? kCircuitCount : 0;
        QCOMPARE(fx->writes().size(), circuitFrames);
        if (enabled)
            QVERIFY2(fx->writes().first().startsWith(":0410100C000204"), fx->writes().first().constData());
        fx->clearTraffic();
        fx->form().btnReadClick();
        QCOMPARE(fx->writes().size(), circuitFrames);
        if (enabled)
            QCOMPARE(fx->writes().last(), Wire(":040310160002D1"));
        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
    }

    void scanFindsTheBoardByItsExceptionReply()
    {
        QSpinBox *machineNumber = fx->find<QSpinBox>(QStringLiteral("se6LightsMno"));
        QCOMPARE(machineNumber->value(), 4);
        QVERIFY(!pageEnabled()->isChecked());
        // Machine number 5 refuses the scan's read of register 0001.
        bool answered = false;
        fx->pacer.onProcessEvents = [&](int) {
            if (!answered && !fx->writes().isEmpty()) {
                fx->transport->inject(Wire(":05830375"));
                answered = true;
            }
        };
        fx->form().miScanClick();
        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        QCOMPARE(machineNumber->value(), 5);
        QVERIFY(pageEnabled()->isChecked());
        // "全讀" now asks that board.
        selectKey(0);
        fx->clearTraffic();
        fx->form().btn6LightsGetAllClick();
        QCOMPARE(fx->writes().first(), Wire(":050310000002E6"));
    }

    void bulkCommandsSayWhyWithoutRegisters_data()
    {
        QTest::addColumn<int>("keyIndex");
        QTest::addColumn<QString>("status");
        QTest::addRow("no key") << -1 << QStringLiteral("6回調光全讀未執行：未選按鍵");
        QTest::addRow("key 45") << 45 << QStringLiteral("6回調光全讀未執行：按鍵「板4 / 鍵4」沒有6回調光的暫存器");
    }

    void bulkCommandsSayWhyWithoutRegisters()
    {
        QFETCH(int, keyIndex);
        QFETCH(QString, status);
        pageEnabled()->setChecked(true);
        selectKey(keyIndex);
        fx->clearTraffic();
        fx->form().btn6LightsGetAllClick();
        QCOMPARE(statusText(), status);
        QVERIFY(fx->writes().isEmpty());
        QVERIFY(fx->pacer.steps().empty());
    }

    void aSecondBulkCommandWhileOneRunsIsRefused()
    {
        pageEnabled()->setChecked(true);
        selectKey(0);
        fx->clearTraffic();
        fx->pacer.onProcessEvents = [this](int index) {
            if (index == 0)
                QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsSendAll")), Qt::LeftButton);
        };
        fx->form().btn6LightsGetAllClick();
        QCOMPARE(fx->writes().size(), kCircuitCount);
        for (const QByteArray &w : fx->writes())
            QVERIFY2(w.startsWith(":0403"), w.constData());
        QCOMPARE(statusText(), QStringLiteral("6回調光全傳未執行：全傳或全讀正在進行"));
        QVERIFY(!fx->form().sixCircuitPage().isBulkRunning());
        // Once it has finished, the next one runs.
        fx->clearTraffic();
        fx->form().btn6LightsSendAllClick();
        QCOMPARE(fx->writes().size(), kCircuitCount);
    }

    void aSendErrorEndsTheLoopAndLetsTheNextRun()
    {
        pageEnabled()->setChecked(true);
        selectKey(0);
        fx->transport->failWriteWith = QStringLiteral("port gone");
        QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsSendAll")), Qt::LeftButton);
        QCOMPARE(fx->errors.errors().size(), 1);
        QVERIFY(fx->errors.errors().first().contains(QStringLiteral("port gone")));
        fx->transport->failWriteWith.clear();
        fx->clearTraffic();
        QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsSendAll")), Qt::LeftButton);
        QCOMPARE(fx->writes().size(), kCircuitCount);
    }

    void aLostConnectionEndsTheLoopWithAMessage()
    {
        pageEnabled()->setChecked(true);
        selectKey(0);
        fx->transport->onWrite = [this](const QByteArray &) {
            if (fx->writes().size() == 2)
                fx->transport->dropConnection();
        };
        QTest::mouseClick(fx->find<QPushButton>(QStringLiteral("btn6LightsSendAll")), Qt::LeftButton);
        QCOMPARE(fx->errors.errors(),
                 QStringList{QStringLiteral("\"全傳\" stopped: the connection to the bus was lost. What it sent "
                                            "just before may not have arrived; the next command connects again.")});
        QCOMPARE(fx->writes().size(), 2);
        QVERIFY(!fx->form().sixCircuitPage().isBulkRunning());
        fx->transport->onWrite = nullptr;
    }

    void readOnlyRefusesEditsButStillSends()
    {
        selectKey(0);
        fx->form().miReadOnlyClick();
        for (int c = 1; c <= kCircuitCount; ++c) {
            Tfm6Lights *p = panel(c);
            QVERIFY(p->isReadOnly());
            for (int n = 1; n <= kCircuitLevelBars; ++n)
                QVERIFY(!p->levelBar(n)->isEnabled());
            QVERIFY(!p->enabledBox()->isEnabled());
            QVERIFY(!p->elapseBox()->isEnabled());
            QVERIFY(!p->titleEdit()->isEnabled());
            QVERIFY(p->sendButton()->isEnabled());
            QVERIFY(p->readButton()->isEnabled());
        }
        // A user's key press reaches no disabled bar.
        panel(1)->levelBar(1)->setFocus();
        QTest::keyClick(panel(1)->levelBar(1), Qt::Key_PageUp);
        QCOMPARE(panel(1)->levelBar(1)->value(), 0);
        QTest::mouseClick(panel(1)->sendButton(), Qt::LeftButton);
        QTest::mouseClick(panel(1)->readButton(), Qt::LeftButton);
        QCOMPARE(fx->writes().size(), 2);

        fx->form().miReadOnlyClick();
        QVERIFY(!panel(1)->isReadOnly());
        QVERIFY(panel(1)->levelBar(1)->isEnabled());
        QVERIFY(panel(1)->titleEdit()->isEnabled());
    }

    void firstBarMovesByFiveOnPageKeys()
    {
        panel(1)->levelBar(1)->setFocus();
        QTest::keyClick(panel(1)->levelBar(1), Qt::Key_PageUp);
        QTest::keyClick(panel(1)->levelBar(2), Qt::Key_PageUp);
        QCOMPARE(panel(1)->levelBar(1)->value(), 5);
        QCOMPARE(panel(1)->levelBar(2)->value(), 1);
    }

    void titlesComeFromTheSceneFileAndGoBackIntoIt()
    {
        QStringEncoder big5("Big5");
        fx = std::make_unique<MainWindowFixture>(QByteArray(big5(QStringLiteral("[6Lights\\Circle3]\r\nTitle=客廳燈\r\n"))));
        QCOMPARE(panel(3)->titleEdit()->text(), QStringLiteral("客廳燈"));
        QCOMPARE(panel(1)->titleEdit()->text(), QString());

        // Closing writes every title into the image (and nothing to the disk).
        panel(1)->titleEdit()->setText(QStringLiteral("浴室"));
        fx->form().FormClose();
        SceneFileStorage &storage = fx->form().storage();
        QCOMPARE(storage.readText(QStringLiteral("\\6Lights\\Circle1\\Title"), QString()), QStringLiteral("浴室"));
        QCOMPARE(storage.readText(QStringLiteral("\\6Lights\\Circle3\\Title"), QString()), QStringLiteral("客廳燈"));
        QCOMPARE(storage.readText(QStringLiteral("\\6Lights\\Circle6\\Title"), QStringLiteral("absent")), QString());

        // A title is not part of a key.
        fx->userSelectKey(4);
        QCOMPARE(panel(1)->titleEdit()->text(), QStringLiteral("浴室"));

        // Reloading the file shows its titles; one it lacks is empty.
        QFile file(fx->settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(big5(QStringLiteral("[6Lights\\Circle1]\r\nTitle=走廊\r\n"))));
        file.close();
        fx->form().N5Click();
        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        QCOMPARE(panel(1)->titleEdit()->text(), QStringLiteral("走廊"));
        QCOMPARE(panel(3)->titleEdit()->text(), QString());
    }
};

QTEST_MAIN(TestSixCircuit)
#include "tst_sixcircuit.moc"
