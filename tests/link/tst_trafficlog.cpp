// The traffic log model: the 1001-line cap, clearing, row-by-row model
// signals, and how CR and LF inside a line are drawn.
#include "link/trafficlog.h"

#include <QAbstractItemModelTester>
#include <QtTest>

class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void capEmptiesTheListBeforeTheAppend_data();
    void capEmptiesTheListBeforeTheAppend();
    void appendsInsertRowsWithoutReset();
    void capClearKeepsTheModelConsistent();
    void clear();
    void lineAppendedGivesTheNewRow();
    void displayTextShowsLineBreaksAsMarks_data();
    void displayTextShowsLineBreaksAsMarks();
    void dataOutsideTheListIsEmpty();
};

void TestTrafficLog::capEmptiesTheListBeforeTheAppend_data()
{
    QTest::addColumn<int>("appends");
    QTest::addColumn<int>("lines");

    QTest::addRow("1000 appends keep 1000") << 1000 << 1000;
    QTest::addRow("1001 appends keep 1001") << 1001 << 1001;
    QTest::addRow("the 1002nd append leaves one line") << 1002 << 1;
    QTest::addRow("1000 more after the clear reach 1001 again") << 2002 << 1001;
    QTest::addRow("the next append empties it again") << 2003 << 1;
}

void TestTrafficLog::capEmptiesTheListBeforeTheAppend()
{
    QFETCH(int, appends);
    QFETCH(int, lines);

    TrafficLog log;
    for (int i = 1; i <= appends; ++i)
        log.LogLine(QStringLiteral("line %1").arg(i), BusDirection::Note);

    QCOMPARE(log.lineCount(), lines);
    QCOMPARE(log.rowCount(), lines);
    // The newest line is always last and the oldest kept line is the one
    // appended right after the last clear.
    QCOMPARE(log.line(lines - 1), QStringLiteral("line %1").arg(appends));
    QCOMPARE(log.line(0), QStringLiteral("line %1").arg(appends - lines + 1));
}

void TestTrafficLog::appendsInsertRowsWithoutReset()
{
    TrafficLog log;
    QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&log, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);

    for (int i = 0; i < 5; ++i)
        log.LogLine(QStringLiteral("48 00 00 (4)"), BusDirection::Note);

    QCOMPARE(inserted.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QVERIFY(!inserted.at(i).at(0).value<QModelIndex>().isValid());
        QCOMPARE(inserted.at(i).at(1).toInt(), i);
        QCOMPARE(inserted.at(i).at(2).toInt(), i);
    }
    QCOMPARE(reset.size(), 0);
    QCOMPARE(removed.size(), 0);
}

void TestTrafficLog::capClearKeepsTheModelConsistent()
{
    TrafficLog log;
    for (int i = 0; i < 1001; ++i)
        log.LogLine(QStringLiteral("line %1").arg(i), BusDirection::Note);

    // The tester checks every signal against the model's state from here on.
    QAbstractItemModelTester tester(&log, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&log, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);

    log.LogLine(QStringLiteral("after the cap"), BusDirection::Note);

    QCOMPARE(log.lines(), QStringList{QStringLiteral("after the cap")});
    QCOMPARE(reset.size() + removed.size(), 1);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
}

void TestTrafficLog::clear()
{
    TrafficLog log;
    QAbstractItemModelTester tester(&log, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy appended(&log, &TrafficLog::lineAppended);

    log.clear(); // an empty list stays empty
    QCOMPARE(log.rowCount(), 0);

    log.LogLine(QStringLiteral("a"), BusDirection::Note);
    log.LogLine(QStringLiteral("b"), BusDirection::Note);
    log.clear();
    QCOMPARE(log.rowCount(), 0);
    QCOMPARE(log.lineCount(), 0);

    log.LogLine(QStringLiteral("c"), BusDirection::Note);
    QCOMPARE(log.lines(), QStringList{QStringLiteral("c")});
    QCOMPARE(appended.last().at(0).toInt(), 0);
}

void TestTrafficLog::lineAppendedGivesTheNewRow()
{
    TrafficLog log;
    QSignalSpy appended(&log, &TrafficLog::lineAppended);
    // The view selects the row it is told, so the row must already be there.
    connect(&log, &TrafficLog::lineAppended, this, [&log](int row) {
        QCOMPARE(row, log.rowCount() - 1);
    });

    for (int i = 0; i < 1003; ++i)
        log.LogLine(QString::number(i), BusDirection::Note);

    QCOMPARE(appended.size(), 1003);
    QCOMPARE(appended.at(0).at(0).toInt(), 0);
    QCOMPARE(appended.at(1000).at(0).toInt(), 1000);
    QCOMPARE(appended.at(1001).at(0).toInt(), 0); // after the cap clear
    QCOMPARE(appended.at(1002).at(0).toInt(), 1);
}

void TestTrafficLog::displayTextShowsLineBreaksAsMarks_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("shown");

    QTest::addRow("Modbus send: CR LF before (4) is one mark")
        << QStringLiteral(":01 03 00 01 00 04 F7 \r\n(4)")
        << QStringLiteral(":01 03 00 01 00 04 F7 ↵(4)");
    QTest::addRow("Modbus reply: CR LF before , id = is one mark")
        << QStringLiteral("-> :0103040001000AED\r\n, id = 1, func = 3, len = 4, 00 01 00 0A ")
        << QStringLiteral("-> :0103040001000AED↵, id = 1, func = 3, len = 4, 00 01 00 0A ");
    QTest::addRow("lone CR") << QStringLiteral("a\rb") << QStringLiteral("a↵b");
    QTest::addRow("lone LF") << QStringLiteral("a\nb") << QStringLiteral("a↵b");
    QTest::addRow("LF CR is two breaks") << QStringLiteral("a\n\rb") << QStringLiteral("a↵↵b");
    QTest::addRow("NUL, tab and DEL caught in a Modbus text are visible")
        << QStringLiteral("-> :01") + QChar(0) + QStringLiteral("\t\x7F\r\n")
        << QStringLiteral("-> :01␀␉␡↵");
    QTest::addRow("Latin-1 byte F3 is shown as its character")
        << QStringLiteral("-> :\u00F3\r\n") << QStringLiteral("-> :\u00F3↵");
    QTest::addRow("board frame unchanged") << QStringLiteral("48 03 01 06 10 14 (4)")
                                           << QStringLiteral("48 03 01 06 10 14 (4)");
    QTest::addRow("Chinese key name unchanged") << QStringLiteral("i:1, j:1, Value:1, name:晴空")
                                                << QStringLiteral("i:1, j:1, Value:1, name:晴空");
}

void TestTrafficLog::displayTextShowsLineBreaksAsMarks()
{
    QFETCH(QString, line);
    QFETCH(QString, shown);

    TrafficLog log;
    log.LogLine(line, BusDirection::Note);
    const QModelIndex index = log.index(0);
    QCOMPARE(log.data(index, Qt::DisplayRole).toString(), shown);
    // The line itself keeps its CR and LF.
    QCOMPARE(log.data(index, TrafficLog::RawLineRole).toString(), line);
    QCOMPARE(log.line(0), line);
}

void TestTrafficLog::dataOutsideTheListIsEmpty()
{
    TrafficLog log;
    log.LogLine(QStringLiteral("only"), BusDirection::Note);
    QVERIFY(!log.data(QModelIndex()).isValid());
    QVERIFY(!log.data(log.index(1)).isValid());
    QCOMPARE(log.line(5), QString());
    QCOMPARE(log.rowCount(log.index(0)), 0); // a list: no children
}

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
