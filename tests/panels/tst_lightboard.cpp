
#include "mainwindowfixture.h"
#include "virtualpacer.h"

#include "app/mainmenu.h"
#include "app/statusprogress.h"
#include "link/trafficlog.h"
#include "panels/ledindicator.h"
#include "panels/lightboard.h"
#include "scenes/keyswitch.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray Bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

using Step = VirtualPacer::Step;
using StepKind = VirtualPacer::StepKind;

QList<int> Pauses(const VirtualPacer &pacer)
{
    QList<int> pauses;
    for (const Step &step : pacer.steps())
        if (step.kind == StepKind::Pause)
            pauses.append(step.ms);
    return pauses;
}

// Sets rows and LEDs as bytes: mask of checked rows, pattern per column.
void SetPanel(TfmLightBoard *panel, quint8 mask, const QList<quint8> &columns)
{
    for (int r = 1; r <= kLightRows; ++r) {
        panel->rowCheckBox(r)->setChecked(mask & (1 << (r - 1)));
        for (int c = 1; c <= kLightColumns; ++c)
            panel->led(c, r)->setOn(columns.at(c - 1) & (1 << (r - 1)));
    }
}

void Click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// The start register of a Modbus write as it appears on the wire.
int WireRegister(const QByteArray &wire)
{
    return wire.mid(5, 4).toInt(nullptr, 16);
}

} // namespace

class TestLightBoard : public QObject
{
    Q_OBJECT

private slots:
    void captionShowsSlotAndBusId_data();
    void captionShowsSlotAndBusId();
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void checkboxesShowAndHide();
    void ledClickSendsLiveOutput_data();
    void ledClickSendsLiveOutput();
    void labelClickInvertsColumnWithOneFrame();
    void readOnlyBlocksRowsAndLedsOnly();
    void handlersRunByName();
    void sendBoardModbusNeedsKeyAndBoard();
    void sendAllRoutes_data();
    void sendAllRoutes();
    void sendAllSendsEachKeysStoredData();
    void sendAllShowsTheRememberedKeyAgain();
    void sendAllWithoutSelectionLeavesItEmpty();
    void sendAllErrorRestoresEverything_data();
    void sendAllErrorRestoresEverything();
};

void TestLightBoard::captionShowsSlotAndBusId_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("caption");
    QTest::addRow("slot 1") << 1 << "燈光機板1(1)";
    QTest::addRow("slot 7 CPU F1") << 7 << "燈光機板7(241)";
    QTest::addRow("slot 9 six-key 11") << 9 << "燈光機板9(17)";
    QTest::addRow("slot 18 after the gap") << 18 << "燈光機板18(32)";
}

void TestLightBoard::captionShowsSlotAndBusId()
{
    QFETCH(int, slot);
    QFETCH(QString, caption);
    MainWindowFixture f;
    TfmLightBoard *panel = f.lightBoard(slot);
    QCOMPARE(panel->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->text(), caption);
    QCOMPARE(panel->slot(), slot);
}

void TestLightBoard::encode_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<QList<quint8>>("columns");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("rows 1 and 8, l11 and l84 on")
        << 0x81 << QList<quint8>{0x01, 0x00, 0x00, 0x80} << Bytes("8101810081008180");
    QTest::addRow("all clear") << 0x00 << QList<quint8>{0, 0, 0, 0} << Bytes("0000000000000000");
    QTest::addRow("cleared row keeps its LED bits")
        << 0xFB << QList<quint8>{0xFF, 0x04, 0x00, 0xFF} << Bytes("FBFFFB04FB00FBFF");
    QTest::addRow("columns distinct") << 0x0F << QList<quint8>{0x01, 0x02, 0x04, 0x08}
                                      << Bytes("0F010F020F040F08");
}

void TestLightBoard::encode()
{
    QFETCH(int, mask);
    QFETCH(QList<quint8>, columns);
    QFETCH(QByteArray, expected);
    MainWindowFixture f;
    TfmLightBoard *panel = f.lightBoard(3);
    SetPanel(panel, quint8(mask), columns);
    QCOMPARE(panel->EncodeBoardData(), expected);
}

void TestLightBoard::decode_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QList<quint8>>("columns");

    QTest::addRow("bytes 2, 4, 6 ignored") << Bytes("0FFFF000F000F000") << 0x0F
                                           << QList<quint8>{0xFF, 0x00, 0x00, 0x00};
    QTest::addRow("full pattern") << Bytes("81018100810081 80") << 0x81
                                  << QList<quint8>{0x01, 0x00, 0x00, 0x80};
    QTest::addRow("short data count as 00") << Bytes("8101") << 0x81
                                            << QList<quint8>{0x01, 0x00, 0x00, 0x00};
    QTest::addRow("one byte") << Bytes("FF") << 0xFF << QList<quint8>{0, 0, 0, 0};
    QTest::addRow("extra bytes ignored") << Bytes("FF01FF02FF04FF08AABB") << 0xFF
                                         << QList<quint8>{0x01, 0x02, 0x04, 0x08};
}

void TestLightBoard::decode()
{
    QFETCH(QByteArray, data);
    QFETCH(int, mask);
    QFETCH(QList<quint8>, columns);
    MainWindowFixture f;
    f.setBoardPresent(2, true);
    TfmLightBoard *panel = f.lightBoard(2);
    panel->DecodeBoardData(data);
    QCOMPARE(int(panel->rowMask()), mask);
    for (int c = 1; c <= kLightColumns; ++c)
        QCOMPARE(panel->columnPattern(c), columns.at(c - 1));
    // Rows cleared by the data hide their LEDs.
    for (int r = 1; r <= kLightRows; ++r)
        for (int c = 1; c <= kLightColumns; ++c)
            QCOMPARE(panel->led(c, r)->isHidden(), !(mask & (1 << (r - 1))));
    QVERIFY(f.writes().isEmpty());
}

void TestLightBoard::checkboxesShowAndHide()
{
    MainWindowFixture f;
    TfmLightBoard *panel = f.lightBoard(5);
    QVERIFY(panel->ledArea()->isHidden());
    QVERIFY(!panel->sendAllButton()->isHidden());
    f.window->show();
    Click(panel->boardCheckBox());
    QVERIFY(panel->boardCheckBox()->isChecked());
    QVERIFY(panel->ledArea()->isVisible());
    Click(panel->rowCheckBox(4));
    for (int c = 1; c <= kLightColumns; ++c) {
        QVERIFY(panel->led(c, 4)->isHidden());
        QVERIFY(panel->led(c, 3)->isVisible());
    }
    Click(panel->rowCheckBox(4));
    QVERIFY(panel->led(2, 4)->isVisible());
    QVERIFY(f.writes().isEmpty());
}

void TestLightBoard::ledClickSendsLiveOutput_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("ledName");
    QTest::addColumn<QByteArray>("frame");

    // All LEDs start on; the click turns the one clicked off.
    QTest::addRow("slot 1 l53, all rows") << 1 << 0xFF << "l53" << Bytes("48040103FFEF16");
    QTest::addRow("slot 7 l11, all rows clear") << 7 << 0x00 << "l11" << Bytes("4804F10300FE08");
    QTest::addRow("slot 18 l84, rows 1-4") << 18 << 0x0F << "l84" << Bytes("480420030F7F57");
}

void TestLightBoard::ledClickSendsLiveOutput()
{
    QFETCH(int, slot);
    QFETCH(int, mask);
    QFETCH(QString, ledName);
    QFETCH(QByteArray, frame);
    MainWindowFixture f;
    TfmLightBoard *panel = f.lightBoard(slot);
    for (int r = 1; r <= kLightRows; ++r)
        panel->rowCheckBox(r)->setChecked(mask & (1 << (r - 1)));
    auto *led = panel->findChild<LedIndicator *>(ledName);
    QVERIFY(led);
    QVERIFY(!f.transport->isOpen());

    // As the board test does: the handler from code (hidden LEDs included).
    QVERIFY(QMetaObject::invokeMethod(panel, "l11Click", Q_ARG(QObject *, led)));
    QVERIFY(!led->isOn());
    // A board frame although both Modbus options are on; the write opened the link.
    QCOMPARE(f.writes(), QList<QByteArray>{frame});
    QVERIFY(f.transport->isOpen());
    QCOMPARE(Pauses(f.pacer), QList<int>{100});
    QCOMPARE(f.pacer.steps().size(), size_t(1));
    QCOMPARE(f.form().trafficLog().lineCount(), 1);
    QCOMPARE(f.form().sceneStore().key(1).board(slot), QByteArray());
}

void TestLightBoard::labelClickInvertsColumnWithOneFrame()
{
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    TfmLightBoard *panel = f.lightBoard(1);
    SetPanel(panel, 0xFF, {0xFF, 0xFF, 0x0F, 0xFF});
    Click(panel->findChild<QLabel *>(QStringLiteral("lb3")));
    QCOMPARE(int(panel->columnPattern(3)), 0xF0);
    QCOMPARE(int(panel->columnPattern(2)), 0xFF);
    QCOMPARE(f.writes(), QList<QByteArray>{Bytes("48040103FFF009")});

    // A user's LED click goes through the widget as well.
    f.clearTraffic();
    Click(panel->findChild<LedIndicator *>(QStringLiteral("l12")));
    QCOMPARE(f.writes(), QList<QByteArray>{Bytes("48040103FFFE07")});
    QVERIFY(f.errors.errors().isEmpty());
}

void TestLightBoard::readOnlyBlocksRowsAndLedsOnly()
{
    MainWindowFixture f;
    f.window->show();
    for (int slot = 1; slot <= kLightBoardPanelCount; ++slot)
        f.setBoardPresent(slot, true);
    QAction *readOnly = f.find<QAction>(QStringLiteral("miReadOnly"));
    readOnly->trigger();
    QVERIFY(readOnly->isChecked());
    for (int slot = 1; slot <= kLightBoardPanelCount; ++slot) {
        TfmLightBoard *panel = f.lightBoard(slot);
        QVERIFY(panel->isReadOnly());
        QVERIFY(!panel->rowCheckBox(8)->isEnabled());
        QVERIFY(!panel->led(4, 8)->isEnabled());
        QVERIFY(panel->boardCheckBox()->isEnabled());
        QVERIFY(panel->columnLabel(1)->isEnabled());
        QVERIFY(panel->sendAllButton()->isEnabled());
    }

    TfmLightBoard *panel = f.lightBoard(2);
    Click(panel->led(1, 1));
    Click(panel->rowCheckBox(1));
    QVERIFY(panel->led(1, 1)->isOn());
    QVERIFY(panel->rowCheckBox(1)->isChecked());
    QVERIFY(f.writes().isEmpty());

    Click(panel->columnLabel(2));
    QCOMPARE(int(panel->columnPattern(2)), 0x00);
    QCOMPARE(f.writes(), QList<QByteArray>{Bytes("48040203FF00FA")});

    readOnly->trigger();
    QVERIFY(!readOnly->isChecked());
    QVERIFY(panel->led(1, 1)->isEnabled());
    QVERIFY(panel->rowCheckBox(1)->isEnabled());
}

// Tests and tools that know only the names reach every handler.
void TestLightBoard::handlersRunByName()
{
    MainWindowFixture f;
    TfmLightBoard *panel = f.lightBoard(4);
    QVERIFY(QMetaObject::invokeMethod(panel, "CheckBox1Click"));
    QVERIFY(panel->ledArea()->isHidden());
    panel->boardCheckBox()->setChecked(true);

    QCheckBox *row6 = panel->findChild<QCheckBox *>(QStringLiteral("cb6"));
    row6->blockSignals(true);
    row6->setChecked(false);
    row6->blockSignals(false);
    QVERIFY(QMetaObject::invokeMethod(panel, "cb1Click", Q_ARG(QObject *, row6)));
    QVERIFY(panel->led(3, 6)->isHidden());

    auto *label = panel->findChild<QLabel *>(QStringLiteral("lb4"));
    QVERIFY(QMetaObject::invokeMethod(panel, "lb1Click", Q_ARG(QObject *, label)));
    QCOMPARE(int(panel->columnPattern(4)), 0x00);
    // Mask DF: row 6 is clear.
    QCOMPARE(f.writes(), QList<QByteArray>{Bytes("48040403DF00DC")});

    f.clearTraffic();
    f.form().keySwitch().selectKeyIndex(1);
    QVERIFY(QMetaObject::invokeMethod(panel, "btnSendAllClick"));
    QCOMPARE(f.writes().size(), kSendAllKeys);
    QCOMPARE(f.keyList()->currentIndex(), 1);

    QVERIFY(QMetaObject::invokeMethod(&f.form(), "ComboBox1Enter"));
    QVERIFY(QMetaObject::invokeMethod(&f.form(), "miReadOnlyClick"));
    QVERIFY(panel->isReadOnly());
    QVERIFY(QMetaObject::invokeMethod(&f.form(), "PageControl1Change", Q_ARG(int, 5)));
    QVERIFY(f.errors.errors().isEmpty());
}

void TestLightBoard::sendBoardModbusNeedsKeyAndBoard()
{
    MainWindowFixture f;
    TfmLightBoard *panel = f.lightBoard(1);
    // No key selected: returns at once, without its pause.
    f.setBoardPresent(1, true);
    panel->SendBoardModbus();
    QVERIFY(f.writes().isEmpty());
    QVERIFY(f.pacer.steps().empty());
    // Key selected but the board is absent.
    f.clearTraffic();
    f.form().keySwitch().selectKeyIndex(0);
    f.setBoardPresent(1, false);
    panel->SendBoardModbus();
    QVERIFY(f.writes().isEmpty());
    // Both given: function 16 to register 0x0001 with the panel's 8 bytes.
    f.setBoardPresent(1, true);
    panel->SendBoardModbus();
    QCOMPARE(f.writes(), QList<QByteArray>{QByteArray(":01100001000408FFFFFFFFFFFFFFFFEA\r\n")});
}

void TestLightBoard::sendAllRoutes_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("relayModbus");
    QTest::addColumn<bool>("cpuModbus");
    QTest::addColumn<bool>("sends");

    QTest::addRow("slot 1, both on") << 1 << true << true << true;
    QTest::addRow("slot 1, CPU off") << 1 << true << false << true;
    QTest::addRow("slot 1, relay off") << 1 << false << true << false;
    QTest::addRow("slot 7, both on") << 7 << true << true << true;
    QTest::addRow("slot 7, CPU off") << 7 << true << false << false;
    QTest::addRow("slot 8, CPU off") << 8 << true << false << false;
    QTest::addRow("slot 12, CPU off") << 12 << true << false << true;
}

void TestLightBoard::sendAllRoutes()
{
    QFETCH(int, slot);
    QFETCH(bool, relayModbus);
    QFETCH(bool, cpuModbus);
    QFETCH(bool, sends);
    MainWindowFixture f;
    f.form().menu().miRelaymodbus->setChecked(relayModbus);
    f.form().menu().miCPUmodbus->setChecked(cpuModbus);
    f.setBoardPresent(slot, true);
    TfmLightBoard *panel = f.lightBoard(slot);

    QList<bool> buttonEnabled;
    QStringList status;
    f.pacer.onPause = [&](int) {
        buttonEnabled.append(panel->sendAllButton()->isEnabled());
        status.append(f.form().progress().text());
    };
    Click(panel->sendAllButton());
    QVERIFY(f.errors.errors().isEmpty());

    const QList<int> perKey = sends ? QList<int>{200, 30, 10} : QList<int>{30, 10};
    QList<int> expectedPauses;
    for (int k = 0; k < kSendAllKeys; ++k)
        expectedPauses += perKey;
    QCOMPARE(Pauses(f.pacer), expectedPauses);
    QCOMPARE(f.pacer.totalPauseMs(), sends ? 7200 : 1200);

    // The registers of the first 30 keys, in key order.
    const QList<int> registers = {0x01, 0x05, 0x09, 0x0D, 0x11, 0x15, 0x19, 0x1D, 0x21, 0x25,
                                  0x29, 0x2D, 0x31, 0x35, 0x39, 0x3D, 0x79, 0x79, 0x75, 0x71,
                                  0x6D, 0x69, 0x65, 0x61, 0x5D, 0x59, 0x55, 0x41, 0x4D, 0x51};
    QList<int> sent;
    for (const QByteArray &wire : f.writes()) {
        QCOMPARE(wire.mid(1, 4), QByteArray::number(SlotInfo(slot).busId, 16).toUpper().rightJustified(2, '0') + "10");
        sent.append(WireRegister(wire));
    }
    QCOMPARE(sent, sends ? registers : QList<int>{});

    QVERIFY(!buttonEnabled.contains(true));
    QCOMPARE(status.first(), QStringLiteral("傳送燈光機板%1 1/30").arg(slot));
    QCOMPARE(status.last(), QStringLiteral("傳送燈光機板%1 30/30").arg(slot));
    QVERIFY(panel->sendAllButton()->isEnabled());
    QCOMPARE(f.form().progress().text(), QString());
}

void TestLightBoard::sendAllSendsEachKeysStoredData()
{
    MainWindowFixture f;
    f.setBoardPresent(1, true);
    SceneStore &store = f.form().sceneStore();
    store.key(4).board(1) = Bytes("0101010101010101"); // key index 3
    store.key(30).board(1) = Bytes("0F0F0F0F0F0F0F0F"); // key index 29
    f.lightBoard(1)->btnSendAllClick();

    QCOMPARE(f.writes().size(), kSendAllKeys);
    // Keys 0..2 have nothing stored: the panel's start pattern goes out.
    QCOMPARE(f.writes().at(0), QByteArray(":01100001000408FFFFFFFFFFFFFFFFEA\r\n"));
    QCOMPARE(f.writes().at(3), QByteArray(":0110000D0004080101010101010101CE\r\n"));
    // Key 3's pattern stays on the panel and goes out for key 4 as well
    // (it was empty), and the key switch stored it there.
    QCOMPARE(f.writes().at(4).mid(15, 16), QByteArray("0101010101010101"));
    QCOMPARE(store.key(5).board(1), Bytes("0101010101010101"));
    QCOMPARE(f.writes().at(29), QByteArray(":011000510004080F0F0F0F0F0F0F0F1A\r\n"));
}

void TestLightBoard::sendAllShowsTheRememberedKeyAgain()
{
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    SceneStore &store = f.form().sceneStore();
    store.key(6).board(1) = Bytes("0303030303030303"); // key index 5
    store.key(30).board(1) = Bytes("0F0F0F0F0F0F0F0F"); // key index 29
    f.userSelectKey(5);
    QCOMPARE(f.lightBoard(1)->EncodeBoardData(), Bytes("0303030303030303"));

    Click(f.lightBoard(1)->sendAllButton());
    QVERIFY(f.errors.errors().isEmpty());
    QCOMPARE(f.keyList()->currentIndex(), 5);
    QCOMPARE(store.shownKeyIndex(), 5);
    QCOMPARE(f.lightBoard(1)->EncodeBoardData(), Bytes("0303030303030303"));
    QCOMPARE(store.key(30).board(1), Bytes("0F0F0F0F0F0F0F0F"));
    QCOMPARE(store.key(6).board(1), Bytes("0303030303030303"));

    // The next switch stores the panels into key index 5, not 29.
    f.lightBoard(1)->DecodeBoardData(Bytes("0707070707070707"));
    f.userSelectKey(0);
    QCOMPARE(store.key(6).board(1), Bytes("0707070707070707"));
    QCOMPARE(store.key(30).board(1), Bytes("0F0F0F0F0F0F0F0F"));
}

void TestLightBoard::sendAllWithoutSelectionLeavesItEmpty()
{
    MainWindowFixture f;
    f.setBoardPresent(1, true);
    f.lightBoard(1)->btnSendAllClick();
    QCOMPARE(f.keyList()->currentIndex(), -1);
    QCOMPARE(f.form().sceneStore().shownKeyIndex(), 29);
    QCOMPARE(f.writes().size(), kSendAllKeys);
}

void TestLightBoard::sendAllErrorRestoresEverything_data()
{
    QTest::addColumn<bool>("connectionClosed");
    QTest::addColumn<QString>("error");
    QTest::addRow("the fourth write fails") << false << QStringLiteral("port gone");
    QTest::addRow("the gateway closes the connection at the third")
        << true
        << QStringLiteral("\"傳送燈光機板1\" stopped: the connection to the bus was lost. "
                          "What it sent just before may not have arrived; the next command connects again.");
}

void TestLightBoard::sendAllErrorRestoresEverything()
{
    QFETCH(bool, connectionClosed);
    QFETCH(QString, error);
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    SceneStore &store = f.form().sceneStore();
    store.key(3).board(1) = Bytes("0202020202020202");
    f.userSelectKey(2);
    f.clearTraffic();
    // The fourth key's write fails, or the connection goes after the third.
    f.transport->onWrite = [&](const QByteArray &) {
        if (f.writes().size() != 3)
            return;
        if (connectionClosed)
            f.transport->dropConnection();
        else
            f.transport->failWriteWith = QStringLiteral("port gone");
    };
    TfmLightBoard *panel = f.lightBoard(1);
    Click(panel->sendAllButton());

    QCOMPARE(f.errors.errors(), QStringList{error});
    QCOMPARE(f.writes().size(), 3);
    QVERIFY(panel->sendAllButton()->isEnabled());
    QCOMPARE(f.keyList()->currentIndex(), 2);
    QCOMPARE(store.shownKeyIndex(), 2);
    QCOMPARE(panel->EncodeBoardData(), Bytes("0202020202020202"));
    QCOMPARE(f.form().progress().text(), QString());
    QVERIFY(f.keyList()->isEnabled());
}

QTEST_MAIN(TestLightBoard)
#include "tst_lightboard.moc"
