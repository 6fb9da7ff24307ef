#include "fakeviews.h"
#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "link/devicelink.h"
#include "link/trafficlog.h"
#include "panels/ledindicator.h"
#include "panels/lightboard.h"
#include "protocol/kvterror.h"
#include "scenes/scenestore.h"
#include "scenes/sixkeycaptions.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace {

QStringList TabTexts(const QTabWidget *tabs)
{
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts.append(tabs->tabText(i));
    return texts;
}

QStringList PageNames(const QTabWidget *tabs)
{
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        names.append(tabs->widget(i)->objectName());
    return names;
}

// The page of a tab widget that holds the widget.
QWidget *PageOf(QWidget *widget, QTabWidget *tabs)
{
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(widget))
            return tabs->widget(i);
    return nullptr;
}

class FakeSixKeyButtons : public NullSixKeyPanel
{
public:
    QString keyIndexText(int button) const override { return indexTexts.value(button); }
    void setButtonCaption(int button, const QString &caption) override { captions[button] = caption; }

    QStringList indexTexts;
    QStringList captions = QStringList(6, QStringLiteral("unchanged"));
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUpState();
    void keyListEntries();
    void menuBarInDisplayOrder_data();
    void menuBarInDisplayOrder();
    void namedControls_data();
    void namedControls();
    void pagesInOrder();
    void lightBoardsOnTheirPages();
    void slotTables();
    void mainBoardCheckboxShowsPanel9();
    void flagItemsInvertTheirMark();
    void firstFrameOpensTheLink();
    void connectionDialogOpensModally();
    void handlerErrorIsReportedAndWindowGoesOn();
    void closingWritesNothing_data();
    void closingWritesNothing();
    void sixKeyPageSetsCaptionsFromKeyIndexes_data();
    void sixKeyPageSetsCaptionsFromKeyIndexes();
};

void TestMainWindow::startUpState()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    QCOMPARE(form.windowTitle(), QStringLiteral("燈光設定"));
    QCOMPARE(form.size(), QSize(877, 647));
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(f.keyList()->currentIndex(), -1);
    QCOMPARE(form.sceneStore().shownKeyIndex(), -1);
    QCOMPARE(f.find<QComboBox>(QStringLiteral("ComboBox2"))->currentIndex(), -1);
    QCOMPARE(f.find<QComboBox>(QStringLiteral("ComboBox2"))->count(), 4);
    QVERIFY(!form.busState().scanFlag);
    QVERIFY(!form.link().isOpen());
    QCOMPARE(f.transport->openCount(), 0);
    QVERIFY(f.writes().isEmpty());
    QVERIFY(f.errors.errors().isEmpty());
    QCOMPARE(form.trafficLog().lineCount(), 0);
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        QVERIFY2(!form.panels().BoardCheckBoxes.at(slot)->isChecked(), qPrintable(QString::number(slot)));
        QVERIFY(form.panels().SlotPanelTable.at(slot)->isHidden());
    }
    // Every LED on, every row checked, as created.
    for (int n = 1; n <= kLightBoardPanelCount; ++n)
        QCOMPARE(form.panels().LightBoardPanels.at(n)->EncodeBoardData(), QByteArray(8, char(0xFF)));
    QCOMPARE(f.find<QSpinBox>(QStringLiteral("se6LightsMno"))->value(), 4);
    QVERIFY(!f.find<QCheckBox>(QStringLiteral("cb6LightsEnabled"))->isChecked());
}

void TestMainWindow::keyListEntries()
{
    MainWindowFixture f;
    QComboBox *keys = f.keyList();
    QCOMPARE(keys->count(), 62);
    QVERIFY(!keys->isEditable());
    const QStringList first16 = {"晴空", "主題", "浴室", "閱讀", "床頭", "睡眠", "燈7", "燈8",
                                 "無0", "無1", "無2", "觸控1", "觸控2", "觸控3", "觸控4", "--"};
    const QStringList power = {"車庫燈", "XXX", "房號燈", "空調", "二次電", "餐點燈", "Relay 4",
                               "Relay 5", "Relay 1", "Relay 2", "Relay 3", "參數", "請打掃", "勿擾"};
    QStringList entries;
    for (int i = 0; i < keys->count(); ++i)
        entries.append(keys->itemText(i));
    QCOMPARE(entries.mid(0, 16), first16);
    QCOMPARE(entries.mid(16, 14), power);
    QCOMPARE(entries.at(30), QStringLiteral("板1 / 鍵1"));
    QCOMPARE(entries.at(33), QStringLiteral("板1 / 鍵4"));
    QCOMPARE(entries.at(34), QStringLiteral("板2 / 鍵1"));
    QCOMPARE(entries.at(45), QStringLiteral("板4 / 鍵4"));
    QCOMPARE(entries.at(61), QStringLiteral("板8 / 鍵4"));
}

void TestMainWindow::menuBarInDisplayOrder_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("checks"); // -1 no mark, 0 clear, 1 set

    QTest::addRow("menu bar") << QString()
        << QStringList{"N1", "miScan", "btnRead", "miReadAll", "miSendKey", "miSendAll",
                       "miRead6Key", "miSend6Key", "N6", "N8", "N4", "miTestBoard"}
        << QStringList{" 檔案", "掃描", "讀按鍵", "讀全部", "儲按鍵", "儲全部", "讀6Key",
                       "儲6Key", "測試按鍵", "旗標", "通訊設定", "機板測試"}
        << QList<int>(12, -1);
    QTest::addRow("file") << "N1" << QStringList{"N2", "N3", "N5", "miSaveRecord"}
                          << QStringList{"開啟", "存檔", "重新讀入", "儲存記錄…"} << QList<int>{-1, -1, -1, -1};
    QTest::addRow("flags") << "N8"
        << QStringList{"mi6LightsAction", "miRelaymodbus", "miReadOnly", "miCPUmodbus", "TransAllOrder",
                       "miAwaitReplies"}
        << QStringList{"調光即時動作", "Relay板用modbus", "唯讀", "CPU板使用modbus", "傳全部使用按鍵名排序",
                       "等待回覆"}
        << QList<int>{0, 1, 0, 1, 0, 0};
    QTest::addRow("board test") << "miTestBoard" << QStringList{"N7", "N9"}
                                << QStringList{"開始測試", "結束測試"} << QList<int>{-1, -1};
}

void TestMainWindow::menuBarInDisplayOrder()
{
    QFETCH(QString, parent);
    QFETCH(QStringList, names);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, checks);
    MainWindowFixture f;
    QMenuBar *bar = f.form().menuBar();
    QCOMPARE(bar->objectName(), QStringLiteral("MainMenu1"));
    const QList<QAction *> items =
        parent.isEmpty() ? bar->actions() : f.find<QMenu>(parent)->actions();
    QStringList gotNames;
    QStringList gotCaptions;
    QList<int> gotChecks;
    for (QAction *item : items) {
        if (item->isSeparator())
            continue;
        gotNames.append(item->objectName());
        gotCaptions.append(item->text());
        gotChecks.append(item->isCheckable() ? int(item->isChecked()) : -1);
        // Every item can be found by its name.
        QCOMPARE(f.find<QAction>(item->objectName()), item);
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotCaptions, captions);
    QCOMPARE(gotChecks, checks);
}

void TestMainWindow::namedControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hidden");

    QTest::addRow("Label1") << "Label1" << "按鍵名稱:" << false;
    QTest::addRow("Label2 hidden") << "Label2" << "房號:" << true;
    QTest::addRow("edRoomNo hidden") << "edRoomNo" << "201" << true;
    QTest::addRow("btnReadx hidden") << "btnReadx" << "read" << true;
    QTest::addRow("cbMainBoard3") << "cbMainBoard3" << "主調燈光板" << false;
    QTest::addRow("Panel9 hidden") << "Panel9" << "" << true;
    QTest::addRow("cb6LightsEnabled") << "cb6LightsEnabled" << "開啟" << false;
    QTest::addRow("Label4") << "Label4" << "機號" << false;
    QTest::addRow("btn6LightsSendAll") << "btn6LightsSendAll" << "全傳" << false;
    QTest::addRow("btn6LightsGetAll") << "btn6LightsGetAll" << "全讀" << false;
    QTest::addRow("BitBtn1 hidden") << "BitBtn1" << "" << true;
    QTest::addRow("ListBox1") << "ListBox1" << "" << false;
}

void TestMainWindow::namedControls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, hidden);
    MainWindowFixture f;
    QWidget *control = f.find<QWidget>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->isHidden(), hidden);
    if (!text.isEmpty())
        QCOMPARE(control->property("text").toString(), text);
}

void TestMainWindow::pagesInOrder()
{
    MainWindowFixture f;
    auto *pc1 = f.find<QTabWidget>(QStringLiteral("PageControl1"));
    QStringList names = {"tsZAVO", "tsFY1", "tsPower", "tsB1", "ts1Key"};
    QStringList captions = {"zu", "線控1", "電力控制", "燈光板輸入", "1Key"};
    for (int k = 1; k <= 10; ++k) {
        names.append(QStringLiteral("ts6Key%1").arg(k));
        captions.append(QStringLiteral("6Key-%1").arg(k));
    }
    QCOMPARE(PageNames(pc1), names);
    QCOMPARE(TabTexts(pc1), captions);
    QCOMPARE(pc1->currentIndex(), 0);
    for (int i = 0; i < pc1->count(); ++i)
        QCOMPARE(pc1->isTabVisible(i), i != 3);

    auto *pc3 = f.find<QTabWidget>(QStringLiteral("PageControl3"));
    QCOMPARE(PageNames(pc3), (QStringList{"tsLog", "tsModbus"}));
    QCOMPARE(TabTexts(pc3), (QStringList{"Log", "VOD板"}));
    QCOMPARE(pc3->currentWidget()->objectName(), QStringLiteral("tsModbus"));
    QVERIFY(pc3->widget(0)->isAncestorOf(f.find<QWidget>(QStringLiteral("ListBox1"))));

    auto *vod = f.find<QTabWidget>(QStringLiteral("pgModbus"));
    QCOMPARE(vod->tabPosition(), QTabWidget::South);
    QCOMPARE(TabTexts(vod), (QStringList{"主頁", "遙控器", "TV", "VOD", "AMP", "KTV", "DVD",
                                         "機上盒", "特例"}));
    QCOMPARE(PageNames(vod), (QStringList{"tsModbusMain", "tsModbusRemote", "tsModbusTV",
                                          "tsModbusVOD", "tsModbusAMP", "tsModbusKTV",
                                          "tsModbusDVD", "tsModbusSTB", "tsModbusOthers"}));

    auto *pc2 = f.find<QTabWidget>(QStringLiteral("PageControl2"));
    QCOMPARE(PageNames(pc2), (QStringList{"ts8Lights", "tsSystem", "ts6Lights"}));
    QCOMPARE(TabTexts(pc2), (QStringList{"8路燈光", "系統燈光", "6回調光"}));
    QCOMPARE(pc2->currentIndex(), 0);
    QVERIFY(pc2->widget(1)->isAncestorOf(f.find<QWidget>(QStringLiteral("cbMainBoard3"))));
    QVERIFY(pc2->widget(2)->isAncestorOf(f.find<QWidget>(QStringLiteral("se6LightsMno"))));
}

void TestMainWindow::lightBoardsOnTheirPages()
{
    MainWindowFixture f;
    auto *pc1 = f.find<QTabWidget>(QStringLiteral("PageControl1"));
    auto *pc2 = f.find<QTabWidget>(QStringLiteral("PageControl2"));
    for (int n = 1; n <= kLightBoardPanelCount; ++n) {
        TfmLightBoard *panel = f.lightBoard(n);
        QVERIFY(panel);
        QString page;
        if (n <= 8)
            page = PageOf(panel, pc2)->objectName();
        else
            page = PageOf(panel, pc1)->objectName();
        const QString expected = n <= 6 ? QStringLiteral("ts8Lights")
            : n <= 8                    ? QStringLiteral("tsSystem")
                                        : QStringLiteral("ts6Key%1").arg(n - 8);
        QCOMPARE(page, expected);
        // Its controls carry their names inside the panel.
        QStringList names = {"CheckBox1", "Panel1", "btnSendAll"};
        for (int i = 1; i <= 8; ++i)
            names.append(QStringLiteral("cb%1").arg(i));
        for (int i = 1; i <= 4; ++i)
            names.append(QStringLiteral("lb%1").arg(i));
        for (int r = 1; r <= 8; ++r)
            for (int c = 1; c <= 4; ++c)
                names.append(QStringLiteral("l%1%2").arg(r).arg(c));
        for (const QString &name : names)
            QVERIFY2(panel->findChild<QWidget *>(name), qPrintable(name));
    }
    // Slots 1, 2, 3 on top and 4, 5, 6 below, left to right.
    f.window->show();
    QVERIFY(f.lightBoard(1)->y() == f.lightBoard(3)->y());
    QVERIFY(f.lightBoard(4)->y() > f.lightBoard(1)->y());
    QVERIFY(f.lightBoard(2)->x() > f.lightBoard(1)->x());
    QVERIFY(f.lightBoard(6)->x() > f.lightBoard(5)->x());
}

void TestMainWindow::slotTables()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        QCheckBox *box = form.panels().BoardCheckBoxes.at(slot);
        QWidget *container = form.panels().SlotPanelTable.at(slot);
        QCOMPARE(box->property("tag").toInt(), slot);
        QCOMPARE(container->property("tag").toInt(), slot);
        if (slot <= kLightBoardPanelCount) {
            QCOMPARE(form.panels().LightBoardPanels.at(slot), f.lightBoard(slot));
            QCOMPARE(box, f.lightBoard(slot)->findChild<QCheckBox *>(QStringLiteral("CheckBox1")));
            QCOMPARE(container, f.lightBoard(slot)->findChild<QWidget *>(QStringLiteral("Panel1")));
        } else {
            QCOMPARE(box->objectName(), QStringLiteral("cbMainBoard3"));
            QCOMPARE(container->objectName(), QStringLiteral("Panel9"));
        }
    }
    QCOMPARE(form.panels().LightBoardPanels.at(0), nullptr);
    QCOMPARE(form.panels().BoardCheckBoxes.at(20), nullptr);
}

void TestMainWindow::mainBoardCheckboxShowsPanel9()
{
    MainWindowFixture f;
    auto *box = f.find<QCheckBox>(QStringLiteral("cbMainBoard3"));
    auto *panel9 = f.find<QWidget>(QStringLiteral("Panel9"));
    box->setChecked(true);
    QVERIFY(!panel9->isHidden());
    box->setChecked(false);
    QVERIFY(panel9->isHidden());
}

void TestMainWindow::flagItemsInvertTheirMark()
{
    MainWindowFixture f;
    for (const char *name : {"mi6LightsAction", "miRelaymodbus", "miCPUmodbus", "TransAllOrder", "miAwaitReplies"}) {
        QAction *item = f.find<QAction>(QString::fromLatin1(name));
        const bool before = item->isChecked();
        item->trigger(); // the user's click
        QCOMPARE(item->isChecked(), !before);
        f.form().mi6LightsActionClick(item); // the handler from code
        QCOMPARE(item->isChecked(), before);
    }
    // The awaited mode reaches the commands.
    QVERIFY(!f.form().busState().awaitReplies);
    f.form().menu().miAwaitReplies->trigger();
    QVERIFY(f.form().busState().awaitReplies);
    f.form().menu().miAwaitReplies->trigger();
    QVERIFY(!f.form().busState().awaitReplies);
    // The route flags reach the panels.
    f.form().menu().miRelaymodbus->trigger();
    QVERIFY(!f.form().panelContext().route.relayModbus());
    QVERIFY(f.form().panelContext().route.cpuModbus());
    QVERIFY(f.writes().isEmpty());
}

void TestMainWindow::firstFrameOpensTheLink()
{
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    QVERIFY(!f.transport->isOpen());
    QTest::mouseClick(f.lightBoard(1)->led(1, 1), Qt::LeftButton);
    QVERIFY(f.transport->isOpen());
    QCOMPARE(f.transport->openCount(), 1);
    // Without a stored port the first opening asks for one.
    QCOMPARE(f.portChooser.asked, 1);
    QCOMPARE(f.writes().size(), 1);
    QCOMPARE(f.form().trafficLog().lineCount(), 1);
}

void TestMainWindow::connectionDialogOpensModally()
{
    MainWindowFixture f;
    auto *dialog = f.find<QDialog>(QStringLiteral("frmCommSetup"));
    QVERIFY(dialog);
    QVERIFY(dialog->isHidden());
    QVERIFY(!f.form().link().isOpen());
    f.find<QAction>(QStringLiteral("N4"))->trigger();
    QCOMPARE(f.modalDialogs, QStringList{QStringLiteral("frmCommSetup")});
    QVERIFY(f.errors.errors().isEmpty());
}

void TestMainWindow::handlerErrorIsReportedAndWindowGoesOn()
{
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    f.transport->failOpenWith = QStringLiteral("COM3 cannot be opened");
    LedIndicator *led = f.lightBoard(1)->led(2, 2);
    QTest::mouseClick(led, Qt::LeftButton);
    QCOMPARE(f.errors.errors(), QStringList{QStringLiteral("COM3 cannot be opened")});
    QVERIFY(f.writes().isEmpty());
    QCOMPARE(f.form().trafficLog().lineCount(), 0);

    f.transport->failOpenWith.clear();
    QTest::mouseClick(led, Qt::LeftButton);
    QCOMPARE(f.errors.errors().size(), 1);
    QCOMPARE(f.writes().size(), 1);
}

void TestMainWindow::closingWritesNothing_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addRow("no file stays absent") << QByteArray();
    QTest::addRow("file stays byte for byte")
        << QByteArray("[Form1]\r\nFormVersion=0\r\n\r\n[RawData\\Key1]\r\nBoard1=8101810081008180\r\n\r\n");
}

void TestMainWindow::closingWritesNothing()
{
    QFETCH(QByteArray, settings);
    auto f = std::make_unique<MainWindowFixture>(settings.isEmpty() ? QByteArray() : settings);
    const QString path = f->settingsPath();
    const QDateTime modified = QFileInfo(path).lastModified();
    f->window->show();
    f->setBoardPresent(1, true);
    f->userSelectKey(3);
    f->lightBoard(1)->DecodeBoardData(QByteArray::fromHex("0101010101010101"));
    f->userSelectKey(4);
    QVERIFY(f->window->close());
    f->window.reset();

    QCOMPARE(QFileInfo::exists(path), !settings.isEmpty());
    if (!settings.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), settings);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }
    QCOMPARE(QDir(f->programFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(),
             settings.isEmpty() ? 0 : 1);
    QVERIFY(f->errors.errors().isEmpty());
}

void TestMainWindow::sixKeyPageSetsCaptionsFromKeyIndexes_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("indexTexts");
    QTest::addColumn<QStringList>("captions");

    const QStringList texts = {"-1", "", "2", "61", "62", "abc"};
    QTest::addRow("6Key-1 sets captions") << 5 << texts
        << QStringList{"", "", "浴室", "板8 / 鍵4", "", ""};
    QTest::addRow("6Key-10 sets captions") << 14 << QStringList{"0", "16", "29", "30", " 3", "x1"}
        << QStringList{"晴空", "車庫燈", "勿擾", "板1 / 鍵1", "閱讀", ""};
    QTest::addRow("1Key page changes nothing") << 4 << texts
        << QStringList(6, QStringLiteral("unchanged"));
}

void TestMainWindow::sixKeyPageSetsCaptionsFromKeyIndexes()
{
    QFETCH(int, page);
    QFETCH(QStringList, indexTexts);
    QFETCH(QStringList, captions);
    MainWindowFixture f;
    FakeSixKeyButtons panel1;
    FakeSixKeyButtons panel10;
    panel1.indexTexts = indexTexts;
    panel10.indexTexts = indexTexts;
    f.form().panels().SixKeyPanels.bind(1, &panel1);
    f.form().panels().SixKeyPanels.bind(10, &panel10);
    f.find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(page);
    const FakeSixKeyButtons &shown = page == 14 ? panel10 : panel1;
    QCOMPARE(shown.captions, captions);
    QVERIFY(f.errors.errors().isEmpty());
    QVERIFY_THROWS_EXCEPTION(KvtError, f.form().panels().SixKeyPanels.bind(11, &panel1));
    f.form().panels().SixKeyPanels.bind(1, nullptr);
    f.form().panels().SixKeyPanels.bind(10, nullptr);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
