#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "panels/maindimmer.h"
#include "scenes/keyswitch.h"
#include "scenes/maindimmerdata.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QTest>

namespace {

QByteArray Bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

using Levels = QList<int>; // group 1 columns 1..4, then group 2 columns 1..4

} // namespace

class TestMainDimmer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> fx;

    MainDimmer &dimmer() const { return fx->form().mainDimmer(); }
    QFrame *panel9() const { return fx->find<QFrame>(QStringLiteral("Panel9")); }
    QCheckBox *boardBox() const { return fx->find<QCheckBox>(QStringLiteral("cbMainBoard3")); }
    QAction *liveAction() const { return fx->form().menu().mi6LightsAction; }
    // TrackBar1..TrackBar8 inside Panel9 (the circuit panels have bars of these names too).
    QSlider *trackBar(int n) const { return panel9()->findChild<QSlider *>(QStringLiteral("TrackBar%1").arg(n)); }
    QCheckBox *groupBox(int group) const
    {
        return panel9()->findChild<QCheckBox *>(QStringLiteral("JvCheckBox%1").arg(48 + group));
    }
    void setLevels(const Levels &levels)
    {
        for (int n = 1; n <= 8; ++n)
            trackBar(n)->setValue(levels[n - 1]);
    }
    Levels levels() const
    {
        Levels result;
        for (int n = 1; n <= 8; ++n)
            result.append(trackBar(n)->value());
        return result;
    }
    void goLive()
    {
        boardBox()->setChecked(true);
        liveAction()->setChecked(true);
        fx->clearTraffic();
    }

private slots:
    void init()
    {
        fx = std::make_unique<MainWindowFixture>();
        fx->clearTraffic();
    }
    void cleanup() { fx.reset(); }

    void controlsAndTheirTables()
    {
        for (int g = 1; g <= 2; ++g) {
            QVERIFY(groupBox(g));
            QVERIFY(groupBox(g)->isChecked());
            QCOMPARE(groupBox(g)->text(), QString::number(g));
        }
        for (int c = 1; c <= 4; ++c) {
            QLabel *label = panel9()->findChild<QLabel *>(QStringLiteral("JvLabel%1").arg(24 + c));
            QVERIFY(label);
            QCOMPARE(label->text(), QString::number(c));
            // Column c of the main dimmer holds (TrackBar c, TrackBar c + 4).
            QCOMPARE(fx->form().mainDimmer().bar(c, 1), trackBar(c));
            QCOMPARE(fx->form().mainDimmer().bar(c, 2), trackBar(c + 4));
        }
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(trackBar(n)->orientation(), Qt::Vertical);
            QCOMPARE(trackBar(n)->maximum(), 3);
            QCOMPARE(MainDimmer::lastSentLevel(trackBar(n)), 0);
        }
    }

    void boardCheckboxShowsTheControls()
    {
        QVERIFY(panel9()->isHidden());
        QVERIFY(!boardBox()->isChecked());
        boardBox()->setChecked(true);
        QVERIFY(!panel9()->isHidden());
        boardBox()->setChecked(false);
        QVERIFY(panel9()->isHidden());
        QVERIFY(fx->writes().isEmpty());
    }

    void liveOutputFrame_data()
    {
        QTest::addColumn<bool>("group2Enabled");
        QTest::addColumn<Levels>("before");
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("frame");
        QTest::addRow("both groups, TrackBar6 at 1, TrackBar2 to 3: F3 03 05 07")
            << true << Levels{0, 0, 0, 0, 0, 1, 0, 0} << 2 << 3 << Bytes("4804F3030507F6");
        QTest::addRow("JvCheckBox50 clear: F3 03 01 07")
            << false << Levels{0, 0, 0, 0, 0, 1, 0, 0} << 2 << 3 << Bytes("4804F3030107F2");
        QTest::addRow("TrackBar5 sends column 1 of both groups")
            << true << Levels{2, 1, 1, 1, 0, 2, 2, 2} << 5 << 3 << Bytes("4804F303050EFF");
        QTest::addRow("TrackBar4 to 2 with TrackBar8 at 1")
            << true << Levels{0, 0, 0, 0, 0, 0, 0, 1} << 4 << 2 << Bytes("4804F3030506F7");
    }

    void liveOutputFrame()
    {
        QFETCH(bool, group2Enabled);
        QFETCH(Levels, before);
        QFETCH(int, bar);
        QFETCH(int, level);
        QFETCH(QByteArray, frame);
        // Set while the option is off: nothing is sent yet.
        setLevels(before);
        groupBox(2)->setChecked(group2Enabled);
        goLive();

        trackBar(bar)->setValue(level);

        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        QCOMPARE(fx->writes(), QList<QByteArray>({frame}));
        QCOMPARE(MainDimmer::lastSentLevel(trackBar(bar)), level);
        // A board frame waits 100 ms and lets no events through.
        QCOMPARE(fx->pacer.steps().size(), size_t(1));
        QCOMPARE(fx->pacer.steps().front().ms, 100);
    }

    void liveFrameIsABoardFrameWhateverTheRoute()
    {
        fx->form().mi6LightsActionClick(fx->form().menu().miRelaymodbus);
        fx->form().mi6LightsActionClick(fx->form().menu().miCPUmodbus);
        goLive();
        trackBar(1)->setValue(1);
        QCOMPARE(fx->writes(), QList<QByteArray>({Bytes("4804F3030501F0")}));
    }

    void nothingSentWithoutBoardOrOption_data()
    {
        QTest::addColumn<bool>("boardPresent");
        QTest::addColumn<bool>("live");
        QTest::addRow("board absent") << false << true;
        QTest::addRow("live option off") << true << false;
    }

    void nothingSentWithoutBoardOrOption()
    {
        QFETCH(bool, boardPresent);
        QFETCH(bool, live);
        boardBox()->setChecked(boardPresent);
        liveAction()->setChecked(live);
        trackBar(3)->setValue(2);
        QVERIFY(fx->writes().isEmpty());
        // The tag still holds the level last sent, so moving back to it with
        // both set sends nothing, and moving elsewhere does.
        QCOMPARE(MainDimmer::lastSentLevel(trackBar(3)), 0);
        goLive();
        trackBar(3)->setValue(0);
        QVERIFY(fx->writes().isEmpty());
        trackBar(3)->setValue(1);
        QCOMPARE(fx->writes(), QList<QByteArray>({Bytes("4804F3030501F0")}));
    }

    void aChangeToTheLevelLastSentSendsNothing()
    {
        goLive();
        trackBar(7)->setValue(2);
        QCOMPARE(fx->writes().size(), 1);
        fx->clearTraffic();
        dimmer().TrackBar1Change(trackBar(7));
        QVERIFY(fx->writes().isEmpty());
    }

    void groupBoxHidesItsBarsAndSendsNothing()
    {
        goLive();
        groupBox(2)->setChecked(false);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(!trackBar(n)->isHidden());
        for (int n = 5; n <= 8; ++n)
            QVERIFY(trackBar(n)->isHidden());
        groupBox(2)->setChecked(true);
        for (int n = 5; n <= 8; ++n)
            QVERIFY(!trackBar(n)->isHidden());
        QVERIFY(fx->writes().isEmpty());
    }

    void aFailedSendIsNotRememberedAsSent()
    {
        goLive();
        fx->transport->failWriteWith = QStringLiteral("port gone");
        trackBar(2)->setValue(3);
        QCOMPARE(fx->errors.errors().size(), 1);
        QCOMPARE(MainDimmer::lastSentLevel(trackBar(2)), 0);
        fx->transport->failWriteWith.clear();
        fx->clearTraffic();
        dimmer().TrackBar1Change(trackBar(2));
        QCOMPARE(fx->writes(), QList<QByteArray>({Bytes("4804F3030503F2")}));
        QCOMPARE(MainDimmer::lastSentLevel(trackBar(2)), 3);
    }

    void boardData_data()
    {
        QTest::addColumn<bool>("group1");
        QTest::addColumn<bool>("group2");
        QTest::addColumn<Levels>("levels");
        QTest::addColumn<QByteArray>("data");
        QTest::addRow("group 1 on 0 1 2 3, group 2 off 3 3 3 3")
            << true << false << Levels{0, 1, 2, 3, 3, 3, 3, 3} << Bytes("010C010D010E010F");
        QTest::addRow("group 1 on 1 2 3 0, group 2 off 0 0 0 3")
            << true << false << Levels{1, 2, 3, 0, 0, 0, 0, 3} << Bytes("010101020103010C");
        QTest::addRow("both on") << true << true << Levels{3, 0, 1, 2, 1, 2, 3, 0} << Bytes("0507050805"
                                                                                            "0D0502");
        QTest::addRow("both off, all zero") << false << false << Levels{0, 0, 0, 0, 0, 0, 0, 0}
                                            << Bytes("0000000000000000");
    }

    void boardData()
    {
        QFETCH(bool, group1);
        QFETCH(bool, group2);
        QFETCH(Levels, levels);
        QFETCH(QByteArray, data);
        groupBox(1)->setChecked(group1);
        groupBox(2)->setChecked(group2);
        setLevels(levels);
        QCOMPARE(EncodeMainDimmerData(dimmer()).toHex(' '), data.toHex(' '));
    }

    void decodeBoardData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("group1");
        QTest::addColumn<bool>("group2");
        QTest::addColumn<Levels>("levels");
        QTest::addRow("masks 0x08: group 1 off, group 2 on")
            << Bytes("080C080D080E080F") << false << true << Levels{0, 1, 2, 3, 3, 3, 3, 3};
        QTest::addRow("the last mask decides")
            << Bytes("0501050505090000") << false << false << Levels{1, 1, 1, 0, 0, 1, 2, 0};
        QTest::addRow("mask fields 2 and 3 count as on")
            << Bytes("0F000F000F000F00") << true << true << Levels{0, 0, 0, 0, 0, 0, 0, 0};
        QTest::addRow("high bits are ignored")
            << Bytes("F1F1F1F1F1F1F1F1") << true << false << Levels{1, 1, 1, 1, 0, 0, 0, 0};
        QTest::addRow("three bytes set column 1 and the boxes only")
            << Bytes("040E01") << true << false << Levels{2, 0, 0, 0, 3, 0, 0, 0};
    }

    void decodeBoardData()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, group1);
        QFETCH(bool, group2);
        QFETCH(Levels, levels);
        DecodeMainDimmerData(dimmer(), data);
        QCOMPARE(groupBox(1)->isChecked(), group1);
        QCOMPARE(groupBox(2)->isChecked(), group2);
        QCOMPARE(this->levels(), levels);
    }

    void decodingSendsOneLiveFramePerChangedBar()
    {
        goLive();
        DecodeMainDimmerData(dimmer(), Bytes("0501050005000500"));
        // Column 1 of group 1 is the only bar that moves.
        QCOMPARE(fx->writes(), QList<QByteArray>({Bytes("4804F3030501F0")}));
    }

    void modbusReplyFromTheBoardSetsTheControls()
    {
        goLive();
        fx->form().keySwitch().selectKeyIndex(1);
        // Both groups on; column levels 07, 08, 0D, 02.
        fx->transport->inject(QByteArray(":F3030805070508050D0502D0\r\n"));
        QCOMPARE(fx->errors.errors().join(QLatin1Char('\n')), QString());
        QVERIFY(groupBox(1)->isChecked());
        QVERIFY(groupBox(2)->isChecked());
        QCOMPARE(levels(), Levels({3, 0, 1, 2, 1, 2, 3, 0}));
        // Every bar that moved sent its column live, in column order.
        QCOMPARE(fx->writes(), QList<QByteArray>({Bytes("4804F3030503F2"), Bytes("4804F3030507F6"),
                                                  Bytes("4804F3030508F9"), Bytes("4804F3030501F0"),
                                                  Bytes("4804F303050DFC"), Bytes("4804F3030502F3")}));
    }

    void keySendWritesTheControlsAsBoardData()
    {
        boardBox()->setChecked(true);
        groupBox(2)->setChecked(false);
        setLevels({1, 2, 3, 0, 0, 0, 0, 3});
        fx->form().keySwitch().selectKeyIndex(2);
        fx->clearTraffic();
        fx->form().miSendKeyClick();
        // Key index 2 on the main dimmer: registers from 0x1089.
        QCOMPARE(fx->writes(), QList<QByteArray>({QByteArray(":F3101089000408010101020103010C42\r\n")}));
    }

    void keySwitchStoresAndShowsTheLevels()
    {
        SceneStore &store = fx->form().sceneStore();
        store.key(1).group(1) = DimmerGroupLevels{2, {7, 1, 2, 3}};
        store.key(1).group(2) = DimmerGroupLevels{1, {3, 2, 1, 0}};
        fx->userSelectKey(0);
        // Only 1 counts as enabled; levels are limited to 0..3.
        QVERIFY(!groupBox(1)->isChecked());
        QVERIFY(groupBox(2)->isChecked());
        QCOMPARE(levels(), Levels({3, 1, 2, 3, 3, 2, 1, 0}));
        fx->userSelectKey(1);
        QCOMPARE(store.key(1).group(1).enabled, 0);
        QCOMPARE(store.key(1).group(1).levels[0], 3);
        QCOMPARE(store.key(1).group(2).enabled, 1);
    }
};

QTEST_MAIN(TestMainDimmer)
#include "tst_maindimmer.moc"
