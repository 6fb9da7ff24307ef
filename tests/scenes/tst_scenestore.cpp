#include "mainwindowfixture.h"

#include "panels/lightboard.h"
#include "panels/ledindicator.h"
#include "protocol/kvterror.h"
#include "scenes/keyswitch.h"
#include "scenes/keytables.h"
#include "scenes/scenestore.h"
#include "scenes/sceneviews.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>

namespace {

QByteArray Bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// A main dimmer that remembers what it was given, to watch the store alone.
class FakeMainDimmer : public MainDimmerView
{
public:
    bool groupEnabled(int group) const override { return enabled[group - 1]; }
    void setGroupEnabled(int group, bool on) override { enabled[group - 1] = on; }
    int level(int group, int column) const override { return levels[group - 1][column - 1]; }
    void setLevel(int group, int column, int value) override { levels[group - 1][column - 1] = value; }

    bool enabled[2] = {false, false};
    int levels[2][4] = {};
};

class FakeBoard : public BoardDataView
{
public:
    bool isPresent() const override { return present; }
    QByteArray EncodeBoardData() const override { return shown; }
    void DecodeBoardData(const QByteArray &data) override { shown = data; ++decodes; }

    bool present = true;
    QByteArray shown;
    int decodes = 0;
};

class FakeCircuit : public CircuitDataView
{
public:
    QByteArray EncodeCircuitData() const override { return shown; }
    void DecodeCircuitData(const QByteArray &data) override
    {
        shown = data;
        ++decodes;
        if (onDecode)
            onDecode();
    }

    QByteArray shown;
    int decodes = 0;
    std::function<void()> onDecode;
};

} // namespace

class TestSceneStore : public QObject
{
    Q_OBJECT

private slots:
    void keyTable_data();
    void keyTable();
    void keyCodesOutsideTheListAreRefused();
    void registerTable_data();
    void registerTable();
    void storeAndShowOfDimmerLevels_data();
    void storeAndShowOfDimmerLevels();
    void storeCarriesSlot19AndSkipsAbsentBoards();
    void showDecodesEveryCircuitAndOnlyPresentBoardsWithData();
    void keySwitchThroughTheKeyList_data();
    void keySwitchThroughTheKeyList();
    void selectionFromCodeRunsNoSwitch();
    void keyListIsDisabledOnlyDuringTheSwitch();
    void failedShowKeepsShownKeyAndEnablesKeyList();
    void nestedSwitchIsRefused();
};

void TestSceneStore::keyTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bank");
    QTest::addColumn<int>("key");

    QTest::addRow("0 first wall key") << 0 << "晴空" << 0x00 << 0x10;
    QTest::addRow("2 bathroom") << 2 << "浴室" << 0x00 << 0x30;
    QTest::addRow("14 touch 4") << 14 << "觸控4" << 0x00 << 0xF0;
    QTest::addRow("15 wraps to 00") << 15 << "--" << 0x00 << 0x00;
    QTest::addRow("16 garage shares F0") << 16 << "車庫燈" << 0x08 << 0xF0;
    QTest::addRow("17 XXX shares F0") << 17 << "XXX" << 0x08 << 0xF0;
    QTest::addRow("18 room number") << 18 << "房號燈" << 0x08 << 0xE0;
    QTest::addRow("22 relay 4") << 22 << "Relay 4" << 0x08 << 0xA0;
    QTest::addRow("27 parameters") << 27 << "參數" << 0x08 << 0x10;
    QTest::addRow("29 do not disturb") << 29 << "勿擾" << 0x08 << 0x50;
    QTest::addRow("30 first board input") << 30 << "板1 / 鍵1" << 0x10 << 0x10;
    QTest::addRow("33 board 1 key 4") << 33 << "板1 / 鍵4" << 0x10 << 0x40;
    QTest::addRow("45 board 4 key 4 wraps") << 45 << "板4 / 鍵4" << 0x10 << 0x00;
    QTest::addRow("46 board 5 key 1 next bank") << 46 << "板5 / 鍵1" << 0x18 << 0x10;
    QTest::addRow("61 last") << 61 << "板8 / 鍵4" << 0x18 << 0x00;
}

void TestSceneStore::keyTable()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(int, bank);
    QFETCH(int, key);
    QCOMPARE(KeyNames().size(), kKeyCount);
    QCOMPARE(KeyName(index), name);
    QCOMPARE(int(KeyBankByte(index)), bank);
    QCOMPARE(int(KeyCodeByte(index)), key);
}

void TestSceneStore::keyCodesOutsideTheListAreRefused()
{
    QVERIFY_THROWS_EXCEPTION(KvtError, KeyBankByte(-1));
    QVERIFY_THROWS_EXCEPTION(KvtError, KeyCodeByte(62));
    QCOMPARE(KeyName(-1), QString());
    QCOMPARE(KeyName(62), QString());
}

void TestSceneStore::registerTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("light");
    QTest::addColumn<int>("mainDimmer");

    QTest::addRow("0") << 0 << 0x0001 << 0x1081;
    QTest::addRow("1") << 1 << 0x0005 << 0x1085;
    QTest::addRow("15") << 15 << 0x003D << 0x10BD;
    QTest::addRow("16 shares slot 30") << 16 << 0x0079 << 0x10F9;
    QTest::addRow("17 shares slot 30") << 17 << 0x0079 << 0x10F9;
    QTest::addRow("18") << 18 << 0x0075 << 0x10F5;
    QTest::addRow("26") << 26 << 0x0055 << 0x10D5;
    QTest::addRow("27 slot 16") << 27 << 0x0041 << 0x10C1;
    QTest::addRow("28 slot 19") << 28 << 0x004D << 0x10CD;
    QTest::addRow("29 slot 20") << 29 << 0x0051 << 0x10D1;
}

void TestSceneStore::registerTable()
{
    QFETCH(int, index);
    QFETCH(int, light);
    QFETCH(int, mainDimmer);
    QCOMPARE(int(LightRegister(index)), light);
    QCOMPARE(int(MainDimmerRegister(index)), mainDimmer);
    QVERIFY_THROWS_EXCEPTION(KvtError, LightRegister(30));
    QVERIFY_THROWS_EXCEPTION(KvtError, LightRegister(-1));
}

void TestSceneStore::storeAndShowOfDimmerLevels_data()
{
    QTest::addColumn<int>("storedEnabled");
    QTest::addColumn<int>("storedLevel");
    QTest::addColumn<bool>("shownEnabled");
    QTest::addColumn<int>("shownLevel");
    QTest::addColumn<int>("storedBackEnabled");

    QTest::addRow("enabled 1 shows set") << 1 << 2 << true << 2 << 1;
    QTest::addRow("enabled 2 shows clear, stored back 0") << 2 << 3 << false << 3 << 0;
    QTest::addRow("level 7 shows 3") << 1 << 7 << true << 3 << 1;
    QTest::addRow("level -4 shows 0") << 0 << -4 << false << 0 << 0;
}

void TestSceneStore::storeAndShowOfDimmerLevels()
{
    QFETCH(int, storedEnabled);
    QFETCH(int, storedLevel);
    QFETCH(bool, shownEnabled);
    QFETCH(int, shownLevel);
    QFETCH(int, storedBackEnabled);

    SceneStore store;
    FakeMainDimmer dimmer;
    store.bindMainDimmerView(&dimmer);
    DimmerGroupLevels &group2 = store.key(4).group(2);
    group2.enabled = storedEnabled;
    group2.levels = {storedLevel, 0, 0, storedLevel};

    store.ShowKeyData(4);
    QCOMPARE(dimmer.enabled[1], shownEnabled);
    QCOMPARE(dimmer.levels[1][0], shownLevel);
    QCOMPARE(dimmer.levels[1][3], shownLevel);

    store.StoreKeyData(4);
    QCOMPARE(store.key(4).group(2).enabled, storedBackEnabled);
    QCOMPARE(store.key(4).group(2).levels[0], shownLevel);
    QCOMPARE(store.key(4).group(1).enabled, 0);
}

void TestSceneStore::storeCarriesSlot19AndSkipsAbsentBoards()
{
    SceneStore store;
    FakeBoard present;
    FakeBoard absent;
    absent.present = false;
    present.shown = Bytes("0102030405060708");
    absent.shown = Bytes("FFFFFFFFFFFFFFFF");
    store.bindBoardView(1, &present);
    store.bindBoardView(2, &absent);
    store.key(7).board(2) = Bytes("1111");
    store.key(7).board(19) = Bytes("0501");

    store.StoreKeyData(7);
    QCOMPARE(store.key(7).board(1), Bytes("0102030405060708"));
    QCOMPARE(store.key(7).board(2), Bytes("1111"));
    QCOMPARE(store.key(7).board(19), Bytes("0501"));

    // No key shown: nothing happens; a key beyond the list is an error.
    store.StoreKeyData(0);
    QCOMPARE(store.key(1).board(1), QByteArray());
    QVERIFY_THROWS_EXCEPTION(KvtError, store.StoreKeyData(63));
}

void TestSceneStore::showDecodesEveryCircuitAndOnlyPresentBoardsWithData()
{
    SceneStore store;
    FakeBoard withData;
    FakeBoard withoutData;
    FakeBoard absent;
    absent.present = false;
    FakeCircuit circuit1;
    FakeCircuit circuit6;
    store.bindBoardView(1, &withData);
    store.bindBoardView(2, &withoutData);
    store.bindBoardView(3, &absent);
    store.bindCircuitView(1, &circuit1);
    store.bindCircuitView(6, &circuit6);
    store.key(9).board(1) = Bytes("AA");
    store.key(9).board(3) = Bytes("BB");
    store.key(9).circuit(1) = Bytes("01020304");

    store.ShowKeyData(9);
    QCOMPARE(withData.shown, Bytes("AA"));
    QCOMPARE(withoutData.decodes, 0);
    QCOMPARE(absent.decodes, 0);
    QCOMPARE(circuit1.shown, Bytes("01020304"));
    QCOMPARE(circuit6.decodes, 1); // empty data are shown too
    QCOMPARE(circuit6.shown, QByteArray());
}

// Slot 1's board data through two user switches: first key index 2 ("浴室"),
// then key index 1 ("主題"), then back to 2. The panel is edited to
// kEdited after the first switch.
void TestSceneStore::keySwitchThroughTheKeyList_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("storedKey3");
    QTest::addColumn<QByteArray>("storedKey2");
    QTest::addColumn<QByteArray>("panelAfterFirst");
    QTest::addColumn<QByteArray>("key3AfterSecond");
    QTest::addColumn<QByteArray>("panelAfterSecond");
    QTest::addColumn<QByteArray>("key2AfterThird");

    const QByteArray initial = Bytes("FFFFFFFFFFFFFFFF"); // the panel at start
    const QByteArray edited = Bytes("0301030003000300");
    const QByteArray key3 = Bytes("0F010F020F040F08");
    const QByteArray key2 = Bytes("F010F020F040F080");

    QTest::addRow("present: shows, then stores into the shown key")
        << true << key3 << key2 << key3 << edited << key2 << key2;
    QTest::addRow("present, new key empty: keeps pattern and stores it there")
        << true << key3 << QByteArray() << key3 << edited << edited << edited;
    QTest::addRow("present, first key empty: first switch stores nothing")
        << true << QByteArray() << key2 << initial << edited << key2 << key2;
    QTest::addRow("absent: neither shown nor stored")
        << false << key3 << key2 << initial << key3 << edited << key2;
}

void TestSceneStore::keySwitchThroughTheKeyList()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, storedKey3);
    QFETCH(QByteArray, storedKey2);
    QFETCH(QByteArray, panelAfterFirst);
    QFETCH(QByteArray, key3AfterSecond);
    QFETCH(QByteArray, panelAfterSecond);
    QFETCH(QByteArray, key2AfterThird);

    MainWindowFixture f;
    f.window->show();
    TfmLightBoard *panel = f.lightBoard(1);
    SceneStore &store = f.form().sceneStore();
    f.setBoardPresent(1, present);
    store.key(3).board(1) = storedKey3;
    store.key(2).board(1) = storedKey2;

    f.userSelectKey(2);
    QCOMPARE(f.keyList()->currentText(), QStringLiteral("浴室"));
    QCOMPARE(store.shownKeyIndex(), 2);
    QCOMPARE(panel->EncodeBoardData(), panelAfterFirst);
    for (int k = 1; k <= kKeyCount; ++k)
        if (k != 2 && k != 3)
            QVERIFY2(store.key(k).board(1).isEmpty(), qPrintable(QString::number(k)));
    QCOMPARE(store.key(3).board(1), storedKey3);

    panel->DecodeBoardData(Bytes("0301030003000300"));
    f.userSelectKey(1);
    QCOMPARE(store.shownKeyIndex(), 1);
    QCOMPARE(store.key(3).board(1), key3AfterSecond);
    QCOMPARE(panel->EncodeBoardData(), panelAfterSecond);

    f.userSelectKey(2);
    QCOMPARE(store.key(2).board(1), key2AfterThird);
    QVERIFY(f.errors.errors().isEmpty());
    QVERIFY(f.writes().isEmpty());
}

void TestSceneStore::selectionFromCodeRunsNoSwitch()
{
    MainWindowFixture f;
    f.setBoardPresent(1, true);
    SceneStore &store = f.form().sceneStore();
    store.key(6).board(1) = Bytes("0101010101010101");
    f.form().keySwitch().selectKeyIndex(5);
    QCOMPARE(f.keyList()->currentIndex(), 5);
    QCOMPARE(store.shownKeyIndex(), -1);
    QCOMPARE(f.lightBoard(1)->EncodeBoardData(), Bytes("FFFFFFFFFFFFFFFF"));
}

void TestSceneStore::keyListIsDisabledOnlyDuringTheSwitch()
{
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    f.form().sceneStore().key(1).board(1) = Bytes("0000000000000000");
    QList<bool> enabledDuringShow;
    QCheckBox *row1 = f.lightBoard(1)->rowCheckBox(1);
    QObject::connect(row1, &QCheckBox::toggled, row1,
                     [&] { enabledDuringShow.append(f.keyList()->isEnabled()); });

    f.userSelectKey(0);
    QCOMPARE(enabledDuringShow, QList<bool>{false});
    QVERIFY(f.keyList()->isEnabled());
}

void TestSceneStore::failedShowKeepsShownKeyAndEnablesKeyList()
{
    MainWindowFixture f;
    f.window->show();
    FakeCircuit failing;
    f.form().sceneStore().bindCircuitView(1, &failing);
    f.userSelectKey(4);
    QCOMPARE(f.form().sceneStore().shownKeyIndex(), 4);

    failing.onDecode = [] { throw KvtError(QStringLiteral("circuit panel failed")); };
    f.userSelectKey(7);
    QCOMPARE(f.errors.errors(), QStringList{QStringLiteral("circuit panel failed")});
    QCOMPARE(f.form().sceneStore().shownKeyIndex(), 4);
    QVERIFY(f.keyList()->isEnabled());

    // The window goes on: the next switch works.
    failing.onDecode = nullptr;
    f.userSelectKey(8);
    QCOMPARE(f.form().sceneStore().shownKeyIndex(), 8);
    f.form().sceneStore().bindCircuitView(1, nullptr);
}

void TestSceneStore::nestedSwitchIsRefused()
{
    MainWindowFixture f;
    f.window->show();
    FakeCircuit circuit;
    f.form().sceneStore().bindCircuitView(1, &circuit);
    QString nestedError;
    // A switch started from events processed during a switch (e.g. a live
    // send of a panel's reaction) must not run half-way through this one.
    bool nested = false;
    circuit.onDecode = [&] {
        if (nested)
            return;
        nested = true;
        try {
            f.form().keySwitch().ComboBox1Enter();
        } catch (const KvtError &e) {
            nestedError = e.text();
        }
    };
    f.userSelectKey(3);
    QVERIFY(!nestedError.isEmpty());
    QCOMPARE(f.form().sceneStore().shownKeyIndex(), 3);
    QVERIFY(f.keyList()->isEnabled());
    f.form().sceneStore().bindCircuitView(1, nullptr);
}

QTEST_MAIN(TestSceneStore)
#include "tst_scenestore.moc"
