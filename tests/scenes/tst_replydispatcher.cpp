// The reply dispatcher: packets injected into the link of a whole main window
// reach the panels their sender's id and byte count designate.
#include "fakeviews.h"
#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "panels/maindimmer.h"
#include "link/trafficlog.h"
#include "panels/lightboard.h"
#include "protocol/modbus.h"
#include "scenes/busstate.h"
#include "scenes/keyswitch.h"
#include "scenes/maindimmerdata.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A window with fakes bound for the kinds of panel the dispatcher reaches
// besides the light boards; their calls go to trace.
struct DispatchFixture
{
    DispatchFixture() : circuits(trace)
    {
        form().sceneStore().bindMainDimmerView(&dimmer);
        form().panels().SixCircuits = &circuits;
        for (int p = 1; p <= 10; ++p) {
            sixKeys.emplace_back(std::make_unique<FakeSixKeyPanel>(p, trace));
            form().panels().SixKeyPanels.bind(p, sixKeys.back().get());
        }
        for (int n = 1; n <= 18; ++n)
            initialPanels.append(fx.lightBoard(n)->EncodeBoardData());
        fx.form().trafficLog().clear();
    }

    TForm1 &form() { return fx.form(); }

    // Everything that changed: the trace, then light panels whose data differ
    // from the start, then the main dimmer when it was set.
    QStringList effects() const
    {
        QStringList out = trace;
        for (int n = 1; n <= 18; ++n) {
            const QByteArray now = fx.lightBoard(n)->EncodeBoardData();
            if (now != initialPanels.at(n - 1))
                out.append(QStringLiteral("panel%1:%2").arg(n).arg(QString::fromLatin1(now.toHex().toUpper())));
        }
        if (dimmer.changes)
            out.append(QStringLiteral("dimmer:") + QString::fromLatin1(EncodeMainDimmerData(dimmer).toHex().toUpper()));
        return out;
    }

    QList<int> checkedSlots()
    {
        QList<int> present;
        for (int slot = 1; slot <= kSlotCount; ++slot)
            if (form().panels().BoardCheckBoxes.at(slot)->isChecked())
                present.append(slot);
        return present;
    }

    MainWindowFixture fx;
    QStringList trace;
    FakeMainDimmer dimmer;
    FakeSixCircuits circuits;
    std::vector<std::unique_ptr<FakeSixKeyPanel>> sixKeys;
    QList<QByteArray> initialPanels;
};

} // namespace

class TestReplyDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void boardReplies_data();
    void boardReplies();
    void modbusReplies_data();
    void modbusReplies();
    void checkFailures_data();
    void checkFailures();
    void modbusConversionErrors_data();
    void modbusConversionErrors();
    void floodDuringScan();
    void scanFindsSixCircuitBoard();
    void mainDimmerReplyMovesTheBars_data();
    void mainDimmerReplyMovesTheBars();
};

void TestReplyDispatcher::boardReplies_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<bool>("scanFlag");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QList<int>>("checked");
    QTest::addColumn<QStringList>("effects");

    QTest::addRow("48 0B from 01 during a scan: marked present, data kept off the panel")
        << Hex("480B010610FF0F000000000000EC") << true
        << QStringList{"#>480B010610FF0F000000000000EC", "*** board_id = 1", "***board_id=1, 1, 10FF0F0000"}
        << QList<int>{1} << QStringList{};
    QTest::addRow("48 0B from 01: column-1 LEDs of outputs 1-4, rows cleared by the column-4 mask")
        << Hex("480B010610FF0F000000000000EC") << false
        << QStringList{"#>480B010610FF0F000000000000EC", "*** board_id = 1", "***board_id=1, 1, 10FF0F0000"}
        << QList<int>{} << QStringList{"panel1:000F000000000000"};
    QTest::addRow("48 0B from 11 (slot 9): each column its own pattern, last mask decides")
        << Hex("480B11063001010202040408082C") << false
        << QStringList{"#>480B11063001010202040408082C", "*** board_id = 17", "***board_id=17, 9, 3001010202"}
        << QList<int>{} << QStringList{"panel9:0801080208040808"};
    QTest::addRow("48 0B from F3: the main dimmer's boxes and bars")
        << Hex("480BF30610050705030B0F040CE6") << false
        << QStringList{"#>480BF30610050705030B0F040CE6", "*** board_id = 243", "***board_id=243, 19, 1005070503"}
        << QList<int>{} << QStringList{"dimmer:04070403040F040C"};
    QTest::addRow("48 0B command 05: not a key-settings reply")
        << Hex("480B010510FF0F000000000000EF") << true
        << QStringList{"#>480B010510FF0F000000000000EF", "*** board_id = 1"} << QList<int>{} << QStringList{};
    QTest::addRow("48 02 from F3: known board, nothing else") << Hex("4802F301F0") << true
        << QStringList{"#>4802F301F0", "*** board_id = 243"} << QList<int>{} << QStringList{};
    QTest::addRow("48 0B from unknown 30") << Hex("480B300610FF0F000000000000DD") << true
        << QStringList{"#>480B300610FF0F000000000000DD", "*** Error board_id = 48"} << QList<int>{}
        << QStringList{};
    QTest::addRow("48 03: logged as it came") << Hex("4803010203") << true << QStringList{"4803010203"}
        << QList<int>{} << QStringList{};
}

void TestReplyDispatcher::boardReplies()
{
    QFETCH(QByteArray, packet);
    QFETCH(bool, scanFlag);
    QFETCH(QStringList, log);
    QFETCH(QList<int>, checked);
    QFETCH(QStringList, effects);

    DispatchFixture d;
    d.form().busState().scanFlag = scanFlag;
    d.fx.transport->inject(packet);

    QVERIFY2(d.fx.errors.errors().isEmpty(), qPrintable(d.fx.errors.errors().join('\n')));
    QCOMPARE(d.form().trafficLog().lines(), log);
    QCOMPARE(d.checkedSlots(), checked);
    QCOMPARE(d.effects(), effects);
}

void TestReplyDispatcher::modbusReplies_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("scanFlag");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<int>("awaitedCircuit");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QList<int>>("checked");
    QTest::addColumn<QStringList>("effects");

    const QString f3Zero = ", id = 243, func = 3, len = 8, 00 00 00 00 00 00 00 00 ";
    QTest::addRow("F3 8 bytes, 晴空, scan: no bar moves, main dimmer checked")
        << Hex("F303080000000000000000") << true << 0 << 0 << f3Zero << QList<int>{19} << QStringList{};
    QTest::addRow("F3 8 bytes, 晴空 selected: main dimmer updated")
        << Hex("F30308050705030B0F040C") << false << 0 << 0
        << ", id = 243, func = 3, len = 8, 05 07 05 03 0B 0F 04 0C " << QList<int>{}
        << QStringList{"dimmer:04070403040F040C"};
    QTest::addRow("F3 8 bytes, no key selected: not applied")
        << Hex("F30308050705030B0F040C") << false << -1 << 0
        << ", id = 243, func = 3, len = 8, 05 07 05 03 0B 0F 04 0C " << QList<int>{} << QStringList{};
    QTest::addRow("12 8 bytes: fmLightBoard10") << Hex("120308030103020304030800") << false << 3 << 0
        << ", id = 12, func = 3, len = 8, 03 01 03 02 03 04 03 08 " << QList<int>{}
        << QStringList{"panel10:0301030203040308"};
    QTest::addRow("12 8 bytes, scan: slot 10 checked") << Hex("120308030103020304030800") << true << 3 << 0
        << ", id = 12, func = 3, len = 8, 03 01 03 02 03 04 03 08 " << QList<int>{10} << QStringList{};
    QTest::addRow("12 4 bytes: fm6Key2's key reply") << Hex("120304A1B2C3D4") << true << 3 << 0
        << ", id = 12, func = 3, len = 4, A1 B2 C3 D4 " << QList<int>{} << QStringList{"key2:A1B2C3D4"};
    QTest::addRow("20 6 bytes: fm6Key10's sensitivity") << Hex("200306010203040506") << false << 3 << 0
        << ", id = 20, func = 3, len = 6, 01 02 03 04 05 06 " << QList<int>{}
        << QStringList{"sens10:010203040506"};
    QTest::addRow("20 8 bytes: fmLightBoard18") << Hex("2003080F100F200F400F80") << false << 3 << 0
        << ", id = 20, func = 3, len = 8, 0F 10 0F 20 0F 40 0F 80 " << QList<int>{}
        << QStringList{"panel18:0F100F200F400F80"};
    QTest::addRow("F1 8 bytes: fmLightBoard7") << Hex("F103080F100F200F400F80") << false << 3 << 0
        << ", id = 241, func = 3, len = 8, 0F 10 0F 20 0F 40 0F 80 " << QList<int>{}
        << QStringList{"panel7:0F100F200F400F80"};
    QTest::addRow("F2 8 bytes, scan: slot 8 checked") << Hex("F203080F100F200F400F80") << true << 3 << 0
        << ", id = 242, func = 3, len = 8, 0F 10 0F 20 0F 40 0F 80 " << QList<int>{8} << QStringList{};
    QTest::addRow("01 4 bytes: the awaited circuit 2") << Hex("01030411223344") << false << 3 << 2
        << ", id = 1, func = 3, len = 4, 11 22 33 44 " << QList<int>{} << QStringList{"circuit2:11223344"};
    QTest::addRow("F3 4 bytes: the awaited circuit 6") << Hex("F3030411223344") << false << 3 << 6
        << ", id = 243, func = 3, len = 4, 11 22 33 44 " << QList<int>{} << QStringList{"circuit6:11223344"};
    QTest::addRow("01 4 bytes, no circuit awaited: only logged") << Hex("01030411223344") << false << 3 << 0
        << ", id = 1, func = 3, len = 4, 11 22 33 44 " << QList<int>{} << QStringList{};
    QTest::addRow("1A: id 0, not applied") << Hex("1A0308030103020304030800") << true << 3 << 0
        << ", id = 0, func = 3, len = 8, 03 01 03 02 03 04 03 08 " << QList<int>{} << QStringList{};
    QTest::addRow("function 90: logged, not applied") << Hex("119002") << false << 3 << 0
        << ", id = 11, func = 90, len = 0, " << QList<int>{} << QStringList{};
    QTest::addRow("function 10: the register count") << Hex("011000090004") << false << 3 << 0
        << ", id = 1, func = 10, len = 4, " << QList<int>{} << QStringList{};
    QTest::addRow("short data: the LRC and CR LF are read as data") << Hex("010308AABB") << false << 3 << 0
        << ", id = 1, func = 3, len = 8, AA BB 8F 00 " << QList<int>{} << QStringList{"panel1:AABBAA00AA00AA00"};
    QTest::addRow("03 83 exception 03 during a scan: six-circuit board 3 found") << Hex("038303") << true << 3 << 0
        << ", id = 3, func = 83, len = 0, " << QList<int>{} << QStringList{"found3"};
    QTest::addRow("03 83 exception 03, no scan: nothing") << Hex("038303") << false << 3 << 0
        << ", id = 3, func = 83, len = 0, " << QList<int>{} << QStringList{};
    QTest::addRow("03 83 exception 02 during a scan: nothing") << Hex("038302") << true << 3 << 0
        << ", id = 3, func = 83, len = 0, " << QList<int>{} << QStringList{};
    QTest::addRow("13 83 exception 03 during a scan: not a six-circuit id") << Hex("138303") << true << 3 << 0
        << ", id = 13, func = 83, len = 0, " << QList<int>{} << QStringList{};
}

void TestReplyDispatcher::modbusReplies()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, scanFlag);
    QFETCH(int, keyIndex);
    QFETCH(int, awaitedCircuit);
    QFETCH(QString, logged);
    QFETCH(QList<int>, checked);
    QFETCH(QStringList, effects);

    DispatchFixture d;
    d.form().keySwitch().selectKeyIndex(keyIndex);
    d.form().busState().scanFlag = scanFlag;
    d.form().busState().AwaitedCircuit = awaitedCircuit;
    const QByteArray wire = ModbusWireText(payload);
    // Split as a slow line delivers it.
    d.fx.transport->inject(wire.left(5));
    d.fx.transport->inject(wire.mid(5));

    QVERIFY2(d.fx.errors.errors().isEmpty(), qPrintable(d.fx.errors.errors().join('\n')));
    QCOMPARE(d.form().trafficLog().lines(), QStringList{"-> " + QString::fromLatin1(wire) + logged});
    QCOMPARE(d.checkedSlots(), checked);
    QCOMPARE(d.effects(), effects);
}

void TestReplyDispatcher::checkFailures_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("logged");

    // During a scan, so a reply taken for good would mark its board.
    QTest::addRow("48 0B from 01, XOR 77 instead of EC")
        << Hex("480B010610FF0F00000000000077") << "#>480B010610FF0F00000000000077 (校驗錯誤)";
    QTest::addRow("48 0B from F3, a pattern bit flipped")
        << Hex("480BF30610050705030B0F050CE6") << "#>480BF30610050705030B0F050CE6 (校驗錯誤)";
    QTest::addRow("48 02 from F3, XOR 02 instead of F0") << Hex("4802F30102") << "#>4802F30102 (校驗錯誤)";
    QTest::addRow("Modbus 8 bytes from 12, LRC one off")
        << QByteArray(":120308030103020304030800C9\r\n")
        << ":120308030103020304030800C9\r\n, id = 12, func = 3, len = 8, 03 01 03 02 03 04 03 08  (校驗錯誤)";
    QTest::addRow("Modbus 8 bytes from F3, a data digit altered")
        << QByteArray(":F30308050705030B0F041CC4\r\n")
        << ":F30308050705030B0F041CC4\r\n, id = 243, func = 3, len = 8, 05 07 05 03 0B 0F 04 1C  (校驗錯誤)";
    QTest::addRow("Modbus exception 83 code 03 from 03, bad LRC")
        << QByteArray(":03830300\r\n") << ":03830300\r\n, id = 3, func = 83, len = 0,  (校驗錯誤)";
    QTest::addRow("Modbus with a control character in its count")
        << QByteArray(":0103\x11" "8030103020304030800\r\n")
        << ":0103\x11" "8030103020304030800\r\n (校驗錯誤)";
    QTest::addRow("Modbus with a letter that is not hex")
        << QByteArray(":01030803010302030403080X\r\n")
        << ":01030803010302030403080X\r\n, id = 1, func = 3, len = 8, 03 01 03 02 03 04 03 08  (校驗錯誤)";
}

void TestReplyDispatcher::checkFailures()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, logged);

    DispatchFixture d;
    d.form().keySwitch().selectKeyIndex(3);
    d.form().busState().scanFlag = true;
    d.fx.transport->inject(packet);
    d.form().busState().scanFlag = false;
    d.fx.transport->inject(packet);

    // No message box, no board marked, nothing applied; the line twice.
    QVERIFY2(d.fx.errors.errors().isEmpty(), qPrintable(d.fx.errors.errors().join('\n')));
    const QString line = packet.startsWith(':') ? QStringLiteral("-> ") + logged : logged;
    QCOMPARE(d.form().trafficLog().lines(), (QStringList{line, line}));
    QCOMPARE(d.checkedSlots(), QList<int>{});
    QCOMPARE(d.effects(), QStringList{});
}

void TestReplyDispatcher::modbusConversionErrors_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    QTest::addRow("function 0A") << QByteArray(":010A00F5\r\n") << "'0A' is not a valid integer value";
    QTest::addRow("count 0C") << QByteArray(":01030C000000000000000000000000F0\r\n") << "'0C' is not a valid integer value";
    QTest::addRow("register count 00A0 of function 10")
        << QByteArray(":0110000900A046\r\n") << "'00A0' is not a valid integer value";
    QTest::addRow("nothing after the colon") << QByteArray(":\r\n") << "'' is not a valid integer value";
}

void TestReplyDispatcher::modbusConversionErrors()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);

    DispatchFixture d;
    // The bad reply and a good one right behind it in the same arrival.
    d.fx.transport->inject(text + ModbusWireText(Hex("020308030103020304030800")));

    QCOMPARE(d.fx.errors.errors(), QStringList{error});
    // The bad reply is neither logged nor applied; the next one is.
    QCOMPARE(d.form().trafficLog().lineCount(), 1);
    QVERIFY(d.form().trafficLog().line(0).startsWith(QStringLiteral("-> :020308")));
    QCOMPARE(d.effects(), QStringList{"panel2:0301030203040308"});
}

void TestReplyDispatcher::floodDuringScan()
{
    DispatchFixture d;
    QByteArray flood;
    for (int i = 0; i < 200; ++i) {
        flood += ModbusWireText(Hex("120308030103020304030800"));
        flood += Hex("480B010610FF0F000000000000EC");
        flood += ModbusWireText(Hex("0A0308"));
        flood += Hex("4802F301F0");
    }
    d.fx.pacer.onProcessEvents = [&](int point) {
        if (point == 5)
            d.fx.transport->inject(flood);
    };

    d.form().menu().miScan->trigger();

    QVERIFY2(d.fx.errors.errors().isEmpty(), qPrintable(d.fx.errors.errors().join('\n')));
    // Slots 1 and 10 were cleared by their scan steps after the flood, or
    // marked by it before; slot 1's step came first, slot 10's after.
    QCOMPARE(d.checkedSlots(), QList<int>{1});
    QVERIFY(!d.form().busState().scanFlag);
    QVERIFY(d.form().menu().miScan->isEnabled());
    QCOMPARE(d.effects(), QStringList{});
    QVERIFY(d.form().trafficLog().lineCount() <= TrafficLog::kMaxLinesBeforeClear + 1);
}

void TestReplyDispatcher::scanFindsSixCircuitBoard()
{
    // The window's own six-circuit page this time.
    MainWindowFixture fx;
    MainPages &pages = fx.form().pages();
    QCOMPARE(pages.cb6LightsEnabled->isChecked(), false);
    // A six-circuit dimmer with machine number 5 refuses the scan's read of
    // register 0001 with exception 03.
    fx.transport->onWrite = [&](const QByteArray &bytes) {
        if (bytes.startsWith(":050300010004"))
            QMetaObject::invokeMethod(fx.transport, [&] { fx.transport->inject(ModbusWireText(Hex("058303"))); },
                                      Qt::QueuedConnection);
    };

    fx.form().menu().miScan->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(pages.se6LightsMno->value(), 5);
    QCOMPARE(pages.cb6LightsEnabled->isChecked(), true);
    // An exception reply does not mark a light board.
    QCOMPARE(fx.form().panels().BoardCheckBoxes.at(5)->isChecked(), false);
}

void TestReplyDispatcher::mainDimmerReplyMovesTheBars_data()
{
    QTest::addColumn<bool>("scanFlag");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<bool>("applied");

    QTest::addRow("晴空 selected") << false << 0 << true;
    QTest::addRow("睡眠 selected") << false << 5 << true;
    QTest::addRow("晴空 selected, scan flag set") << true << 0 << false;
    QTest::addRow("no key selected") << false << -1 << false;
}

void TestReplyDispatcher::mainDimmerReplyMovesTheBars()
{
    QFETCH(bool, scanFlag);
    QFETCH(int, keyIndex);
    QFETCH(bool, applied);

    // The window's own main dimmer controls.
    MainWindowFixture fx;
    MainDimmer &dimmer = fx.form().mainDimmer();
    fx.form().keySwitch().selectKeyIndex(keyIndex);
    fx.form().busState().scanFlag = scanFlag;

    int before[2][4];
    for (int c = 1; c <= 4; ++c)
        for (int g = 1; g <= 2; ++g)
            before[g - 1][c - 1] = dimmer.bar(c, g)->value();
    const bool boxesBefore[2] = {dimmer.groupBox(1)->isChecked(), dimmer.groupBox(2)->isChecked()};

    // Group 1 levels 1 2 3 0, group 2 levels 0 0 0 3; the last mask (01)
    // enables group 1 only, whatever the earlier masks say.
    fx.transport->inject(ModbusWireText(Hex("F303080D0105020103010C")));

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    const int levels[2][4] = {{1, 2, 3, 0}, {0, 0, 0, 3}};
    for (int c = 1; c <= 4; ++c)
        for (int g = 1; g <= 2; ++g)
            QCOMPARE(dimmer.bar(c, g)->value(), applied ? levels[g - 1][c - 1] : before[g - 1][c - 1]);
    QCOMPARE(dimmer.groupBox(1)->isChecked(), applied ? true : boxesBefore[0]);
    QCOMPARE(dimmer.groupBox(2)->isChecked(), applied ? false : boxesBefore[1]);
    QCOMPARE(fx.form().panels().BoardCheckBoxes.at(kMainDimmerSlot)->isChecked(), scanFlag);
}

QTEST_MAIN(TestReplyDispatcher)
#include "tst_replydispatcher.moc"
