// The key pickers: the wall panel and the remote with their click areas, the
// power grid, the key-input grid and the touch-key buttons.
#include "mainwindowfixture.h"

#include "app/mainpages.h"
#include "app/mainwindow.h"
#include "panels/buttongrid.h"
#include "protocol/kvterror.h"
#include "scenes/keycommands.h"
#include "panels/clickarea.h"
#include "panels/ledindicator.h"
#include "panels/lightboard.h"
#include "panels/pickerpages.h"
#include "panels/pickerpictures.h"
#include "scenes/keytables.h"
#include "scenes/scenestore.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

void Click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// The start register of the Modbus read on the wire: ":01" "03" "rrrr".
int ReadRegister(const QByteArray &wire)
{
    return wire.startsWith(":0103") ? wire.mid(5, 4).toInt(nullptr, 16) : -1;
}

// Colours a technician tells apart, not shades of one gradient.
bool ClearlyDiffers(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 60;
}

QList<int> ReadRegisters(const QList<QByteArray> &writes)
{
    QList<int> registers;
    for (const QByteArray &wire : writes)
        registers.append(ReadRegister(wire));
    return registers;
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void areaOrButtonPicksItsKey_data();
    void areaOrButtonPicksItsKey();
    void powerGridPicksTheKeyItShows_data();
    void powerGridPicksTheKeyItShows();
    void pickStoresTheShownKeysEditsFirst();
    void gridCaptionsAndColours();
    void clickAreasSitWhereTheKeysAre();
    void drawnKeysLieUnderTheClickAreas_data();
    void drawnKeysLieUnderTheClickAreas();
    void badPickChangesNothing_data();
    void badPickChangesNothing();
    void pickDuringAScanReadsAtOnce();
};

void TestPickers::areaOrButtonPicksItsKey_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("reg");

    // zu: two rows of three.
    QTest::addRow("zu top left") << "Image4" << 3 << "閱讀" << 0x000D;
    QTest::addRow("zu top middle") << "Image6" << 0 << "晴空" << 0x0001;
    QTest::addRow("zu top right") << "Image2" << 1 << "主題" << 0x0005;
    QTest::addRow("zu bottom left") << "Image5" << 4 << "床頭" << 0x0011;
    QTest::addRow("zu bottom middle") << "Image7" << 5 << "睡眠" << 0x0015;
    QTest::addRow("zu bottom right") << "Image3" << 2 << "浴室" << 0x0009;
    // 線控1: two rows of four.
    QTest::addRow("remote upper 1") << "Image8" << 0 << "晴空" << 0x0001;
    QTest::addRow("remote upper 2") << "Image9" << 1 << "主題" << 0x0005;
    QTest::addRow("remote upper 3") << "Image10" << 2 << "浴室" << 0x0009;
    QTest::addRow("remote upper 4") << "Image11" << 3 << "閱讀" << 0x000D;
    QTest::addRow("remote lower 1") << "Image12" << 4 << "床頭" << 0x0011;
    QTest::addRow("remote lower 2") << "Image13" << 5 << "睡眠" << 0x0015;
    QTest::addRow("remote lower 3") << "Image14" << 6 << "燈7" << 0x0019;
    QTest::addRow("remote lower 4") << "Image15" << 7 << "燈8" << 0x001D;
    // 1Key
    QTest::addRow("1Key 1") << "JvSpeedButton1" << 11 << "觸控1" << 0x002D;
    QTest::addRow("1Key 2") << "JvSpeedButton2" << 12 << "觸控2" << 0x0031;
    QTest::addRow("1Key 3") << "JvSpeedButton3" << 13 << "觸控3" << 0x0035;
    QTest::addRow("1Key 4") << "JvSpeedButton4" << 14 << "觸控4" << 0x0039;
}

void TestPickers::areaOrButtonPicksItsKey()
{
    QFETCH(QString, control);
    QFETCH(int, keyIndex);
    QFETCH(QString, name);
    QFETCH(int, reg);
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    QWidget *widget = f.find<QWidget>(control);
    QVERIFY(widget);
    QTabWidget *pages = f.find<QTabWidget>(QStringLiteral("PageControl1"));
    pages->setCurrentWidget(widget->parentWidget());
    f.clearTraffic();

    Click(widget);

    QVERIFY2(f.errors.errors().isEmpty(), qPrintable(f.errors.errors().join('\n')));
    QCOMPARE(f.keyList()->currentIndex(), keyIndex);
    QCOMPARE(f.keyList()->currentText(), name);
    QCOMPARE(f.form().sceneStore().shownKeyIndex(), keyIndex);
    // "讀按鍵" of the key at once: the one present board is asked.
    QCOMPARE(ReadRegisters(f.writes()), QList<int>{reg});
}

void TestPickers::powerGridPicksTheKeyItShows_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("keyIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("reg");

    QTest::addRow("row 1 column 1") << 0 << 0 << 16 << "車庫燈" << 0x0079;
    QTest::addRow("row 1 column 2 shares the memory") << 1 << 0 << 17 << "XXX" << 0x0079;
    QTest::addRow("row 3 column 1") << 0 << 2 << 22 << "Relay 4" << 0x0065;
    QTest::addRow("row 4 column 3, the last") << 2 << 3 << 27 << "參數" << 0x0041;
}

void TestPickers::powerGridPicksTheKeyItShows()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(int, keyIndex);
    QFETCH(QString, name);
    QFETCH(int, reg);
    MainWindowFixture f;
    f.window->show();
    f.setBoardPresent(1, true);
    auto *grid = f.find<ButtonGrid>(QStringLiteral("JvArrayButton1"));
    f.find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentWidget(f.form().pages().tsPower);
    f.clearTraffic();

    QCOMPARE(grid->button(col, row)->text(), name);
    Click(grid->button(col, row));

    QVERIFY(f.errors.errors().isEmpty());
    QCOMPARE(f.keyList()->currentIndex(), keyIndex);
    QCOMPARE(f.keyList()->currentText(), name);
    QCOMPARE(ReadRegisters(f.writes()), QList<int>{reg});
}

void TestPickers::pickStoresTheShownKeysEditsFirst()
{
    MainWindowFixture f;
    f.setBoardPresent(1, true);
    TForm1 &form = f.form();
    form.Image5Click(f.find<QObject>(QStringLiteral("Image6"))); // 晴空
    TfmLightBoard *panel = f.lightBoard(1);
    panel->led(2, 3)->setOn(false);
    const QByteArray edited = panel->EncodeBoardData();
    f.clearTraffic();

    form.JvArrayButton1ArrayButtonClicked(0, 1); // 空調

    QCOMPARE(form.sceneStore().key(1).board(1), edited);
    QCOMPARE(f.keyList()->currentIndex(), 19);
    QCOMPARE(form.sceneStore().shownKeyIndex(), 19);
    QCOMPARE(ReadRegisters(f.writes()), QList<int>{0x0071});
}

void TestPickers::gridCaptionsAndColours()
{
    MainWindowFixture f;
    auto *power = f.find<ButtonGrid>(QStringLiteral("JvArrayButton1"));
    auto *inputs = f.find<ButtonGrid>(QStringLiteral("JvArrayButton2"));
    QCOMPARE(f.find<QTabWidget>(QStringLiteral("PageControl1"))->currentWidget(), f.form().pages().tsZAVO);

    // The power grid holds the 46 names from 車庫燈 on and shows the first 12.
    const QStringList powerCaptions = power->property("captions").toStringList();
    QCOMPARE(powerCaptions.size(), 46);
    QCOMPARE(powerCaptions.first(), QStringLiteral("車庫燈"));
    QCOMPARE(powerCaptions.last(), QStringLiteral("板8 / 鍵4"));
    const QStringList shown = {"車庫燈", "XXX", "房號燈", "空調", "二次電", "餐點燈",
                               "Relay 4", "Relay 5", "Relay 1", "Relay 2", "Relay 3", "參數"};
    QStringList texts;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            texts.append(power->button(c, r)->text());
            QCOMPARE(power->button(c, r)->palette().color(QPalette::Button), QColor(0xC0, 0xC0, 0xC0));
        }
    QCOMPARE(texts, shown);
    QCOMPARE(power->findChildren<QPushButton *>().size(), 12);

    // The key-input grid: row i - 1, column j - 1 shows 板i / 鍵j on yellow.
    const QStringList inputCaptions = inputs->property("captions").toStringList();
    QCOMPARE(inputCaptions.size(), 32);
    QCOMPARE(inputCaptions.first(), QStringLiteral("板1 / 鍵1"));
    QCOMPARE(inputs->property("colors").toStringList(), QStringList(32, QStringLiteral("65535")));
    QCOMPARE(inputs->button(3, 7)->text(), QStringLiteral("板8 / 鍵4"));
    QCOMPARE(inputs->button(2, 4)->text(), QStringLiteral("板5 / 鍵3"));
    QCOMPARE(inputs->button(0, 0)->palette().color(QPalette::Button), QColor(Qt::yellow));
    QCOMPARE(f.keyList()->itemText(61), QStringLiteral("板8 / 鍵4"));
    QCOMPARE(f.keyList()->itemText(30), QStringLiteral("板1 / 鍵1"));
    QTabWidget *pages = f.find<QTabWidget>(QStringLiteral("PageControl1"));
    QVERIFY(!pages->isTabVisible(pages->indexOf(f.form().pages().tsB1)));
}

void TestPickers::clickAreasSitWhereTheKeysAre()
{
    MainWindowFixture f;
    const QList<QPair<QString, QRect>> places = {
        {"Image4", {9, 9, 117, 109}},     {"Image6", {131, 28, 94, 91}},   {"Image2", {232, 9, 118, 110}},
        {"Image5", {8, 125, 118, 109}},   {"Image7", {132, 126, 94, 90}},  {"Image3", {232, 126, 117, 109}},
        {"Image8", {78, 91, 41, 27}},     {"Image9", {123, 91, 41, 27}},   {"Image10", {167, 91, 41, 27}},
        {"Image11", {212, 91, 41, 27}},   {"Image12", {78, 126, 41, 27}},  {"Image13", {124, 126, 41, 27}},
        {"Image14", {168, 126, 41, 27}},  {"Image15", {212, 126, 41, 27}},
    };
    for (const auto &place : places) {
        auto *area = f.find<ClickArea>(place.first);
        QVERIFY2(area, qPrintable(place.first));
        QCOMPARE(area->geometry(), place.second);
    }
    QCOMPARE(f.find<ClickArea>(QStringLiteral("Image8"))->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(f.find<QWidget>(QStringLiteral("Image1"))->geometry(), QRect(1, 2, 356, 241));
    QCOMPARE(f.find<QWidget>(QStringLiteral("imFY1"))->geometry(), QRect(8, -320, 319, 600));
    const int xs[] = {56, 125, 195, 264};
    for (int i = 1; i <= 4; ++i) {
        auto *button = f.find<QToolButton>(QStringLiteral("JvSpeedButton%1").arg(i));
        QCOMPARE(button->text(), QString::number(i));
        QCOMPARE(button->property("tag").toInt(), 10 + i);
        QCOMPARE(button->pos(), QPoint(xs[i - 1], 65));
    }
    auto *label = f.find<QLabel>(QStringLiteral("lbSwitch"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("開關:"));
    QCOMPARE(label->parentWidget(), f.form().pages().ts1Key);
}

void TestPickers::drawnKeysLieUnderTheClickAreas_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("areas");
    // A point of the picture that is no key: between the keys, and off them.
    QTest::addColumn<QPoint>("background");

    QTest::addRow("zu") << "tsZAVO"
                        << QStringList{"Image2", "Image3", "Image4", "Image5", "Image6", "Image7"}
                        << QPoint(128, 60);
    QTest::addRow("線控1") << "tsFY1"
                           << QStringList{"Image8", "Image9", "Image10", "Image11", "Image12", "Image13",
                                          "Image14", "Image15"}
                           << QPoint(100, 122);
}

void TestPickers::drawnKeysLieUnderTheClickAreas()
{
    QFETCH(QString, page);
    QFETCH(QStringList, areas);
    QFETCH(QPoint, background);
    MainWindowFixture f;
    f.window->show();
    auto *widget = f.find<QWidget>(page);
    f.find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentWidget(widget);
    const QImage picture = widget->grab().toImage();
    const QRgb plain = picture.pixel(background);

    for (const QString &name : areas) {
        const QRect rect = f.find<QWidget>(name)->geometry();
        QVERIFY2(ClearlyDiffers(picture.pixel(rect.center()), plain), qPrintable(name + " centre"));
        // The key fills the area, not just its centre.
        for (const QPoint &corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()}) {
            const QPoint inside = corner + (rect.center() - corner) / 4;
            QVERIFY2(ClearlyDiffers(picture.pixel(inside), plain), qPrintable(name + " near a corner"));
        }
    }
}

void TestPickers::badPickChangesNothing_data()
{
    QTest::addColumn<QString>("what");
    QTest::addRow("a control without a key") << "Image1";
    QTest::addRow("a power grid cell that does not exist") << "grid 3,0";
    QTest::addRow("a power grid row past the last") << "grid 0,4";
}

void TestPickers::badPickChangesNothing()
{
    QFETCH(QString, what);
    MainWindowFixture f;
    f.setBoardPresent(1, true);
    TForm1 &form = f.form();
    form.Image5Click(f.find<QObject>(QStringLiteral("Image3")));
    f.clearTraffic();

    bool raised = false;
    try {
        if (what == QLatin1String("grid 3,0"))
            form.JvArrayButton1ArrayButtonClicked(3, 0);
        else if (what == QLatin1String("grid 0,4"))
            form.JvArrayButton1ArrayButtonClicked(0, 4);
        else
            form.Image5Click(f.find<QObject>(what));
    } catch (const KvtError &) {
        raised = true;
    }
    QVERIFY(raised);
    QCOMPARE(f.keyList()->currentIndex(), 2);
    QCOMPARE(form.sceneStore().shownKeyIndex(), 2);
    QVERIFY(f.writes().isEmpty());
}

void TestPickers::pickDuringAScanReadsAtOnce()
{
    MainWindowFixture f;
    TForm1 &form = f.form();
    bool picked = false;
    f.pacer.onProcessEvents = [&](int) {
        if (picked || !form.keyCommands().isScanning())
            return;
        picked = true;
        // The scan cleared slot 1 already; mark it as a board that answered.
        f.setBoardPresent(1, true);
        form.Image5Click(f.find<QObject>(QStringLiteral("Image7")));
    };
    form.miScanClick();
    QVERIFY(picked);
    QVERIFY(f.errors.errors().isEmpty());
    QCOMPARE(f.keyList()->currentIndex(), 5);
    QVERIFY(ReadRegisters(f.writes()).contains(0x0015));
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
