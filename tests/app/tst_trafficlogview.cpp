// The log list "ListBox1": selects and shows the line last appended, also
// across the cap clear.
#include "app/trafficlogview.h"
#include "link/trafficlog.h"

#include <QFontMetrics>
#include <QtTest>

class TestTrafficLogView : public QObject
{
    Q_OBJECT

private slots:
    void lookOfTheList();
    void lastAppendedLineIsSelected_data();
    void lastAppendedLineIsSelected();
    void lastLineIsScrolledIntoView();
    void hiddenListShowsTheLastLineWhenShown();
    void clearLeavesNothingSelected();
};

void TestTrafficLogView::lookOfTheList()
{
    TrafficLog log;
    TrafficLogView view(&log);
    QCOMPARE(view.objectName(), QStringLiteral("ListBox1"));
    QCOMPARE(view.model(), &log);
    QVERIFY(view.uniformItemSizes());
    QCOMPARE(view.font().pixelSize(), 13);
    // Fixed pitch: every character of a hex line takes the same width.
    const QFontMetrics metrics(view.font());
    const int width = metrics.horizontalAdvance(QLatin1Char('0'));
    QVERIFY(width > 0);
    for (const char c : {' ', '1', 'A', 'F', 'W', 'i', ':', '#', '>', '(', '*'})
        QCOMPARE(metrics.horizontalAdvance(QLatin1Char(c)), width);
    QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
}

void TestTrafficLogView::lastAppendedLineIsSelected_data()
{
    QTest::addColumn<int>("appends");
    QTest::addColumn<int>("row");

    QTest::addRow("one line") << 1 << 0;
    QTest::addRow("three lines") << 3 << 2;
    QTest::addRow("1001 lines, the last of a full list") << 1001 << 1000;
    QTest::addRow("the 1002nd line, alone after the clear") << 1002 << 0;
    QTest::addRow("the 1003rd line") << 1003 << 1;
}

void TestTrafficLogView::lastAppendedLineIsSelected()
{
    QFETCH(int, appends);
    QFETCH(int, row);

    TrafficLog log;
    TrafficLogView view(&log);
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    for (int i = 1; i <= appends; ++i)
        log.LogLine(QStringLiteral("line %1").arg(i), BusDirection::Note);

    QCOMPARE(view.currentIndex().row(), row);
    const QModelIndexList selected = view.selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), row);
    QCOMPARE(selected.first().data().toString(), QStringLiteral("line %1").arg(appends));
}

void TestTrafficLogView::lastLineIsScrolledIntoView()
{
    TrafficLog log;
    TrafficLogView view(&log);
    view.resize(400, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    for (int i = 0; i < 200; ++i)
        log.LogLine(QStringLiteral(":01 03 00 01 00 04 F7 \r\n(4)"), BusDirection::Note);
    // The user looks at an older line; the next append brings the view back.
    view.scrollToTop();
    view.setCurrentIndex(log.index(3));
    log.LogLine(QStringLiteral("newest"), BusDirection::Note);

    const QRect last = view.visualRect(log.index(log.rowCount() - 1));
    QVERIFY(view.viewport()->rect().contains(last.center()));
    QVERIFY(view.visualRect(log.index(0)).bottom() < 0);
    QCOMPARE(view.currentIndex().row(), 200);
}

void TestTrafficLogView::hiddenListShowsTheLastLineWhenShown()
{
    // The "Log" tab is usually not the one shown while frames are logged.
    TrafficLog log;
    TrafficLogView view(&log);
    view.resize(400, 150);
    for (int i = 0; i < 300; ++i)
        log.LogLine(QStringLiteral("line %1").arg(i), BusDirection::Note);
    QCOMPARE(view.currentIndex().row(), 299);

    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QRect last = view.visualRect(log.index(299));
    QVERIFY(view.viewport()->rect().contains(last.center()));
}

void TestTrafficLogView::clearLeavesNothingSelected()
{
    TrafficLog log;
    TrafficLogView view(&log);
    log.LogLine(QStringLiteral("a"), BusDirection::Note);
    log.LogLine(QStringLiteral("b"), BusDirection::Note);
    log.clear();
    QVERIFY(view.selectionModel()->selectedRows().isEmpty());
    log.LogLine(QStringLiteral("c"), BusDirection::Note);
    QCOMPARE(view.currentIndex().row(), 0);
    QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
}

QTEST_MAIN(TestTrafficLogView)
#include "tst_trafficlogview.moc"
