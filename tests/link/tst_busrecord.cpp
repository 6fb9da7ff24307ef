// The bus record beside the traffic log: the saved line format, local time
// across day and clock changes, the bound with its note, independence from
// the list's clearing, and saving that never leaves a half file.
#include "link/busrecord.h"
#include "link/scopeguard.h"
#include "link/trafficlog.h"
#include "protocol/kvterror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

qint64 Utc(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// A clock the test moves by hand.
struct ManualClock
{
    qint64 ms = Utc(2026, 12, 10, 4, 31, 7, 123);
    BusRecord::Clock clock()
    {
        return [this] { return ms; };
    }
};

QStringList TextLines(const QByteArray &text)
{
    QStringList lines = QString::fromUtf8(text).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestBusRecord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void savedLineFormat_data();
    void savedLineFormat();
    void stampsInLocalTimeAcrossDaysAndClockChanges();
    void overflowDropsTheOldestWithANote_data();
    void overflowDropsTheOldestWithANote();
    void fullRecordThroughTheLog();
    void clearingTheListKeepsTheRecord();
    void saveWritesTheWholeRecordAsUtf8();
    void emptyRecordSavesAnEmptyFile();
    void saveThatCannotWriteNamesPathAndReason_data();
    void saveThatCannotWriteNamesPathAndReason();
    void diskFillingDuringTheSaveLeavesTheOldFile();

private:
    QByteArray m_previousTz;
};

void TestBusRecord::initTestCase()
{
    // Stamps are local time; a zone with summer time shows the clock changes.
    m_previousTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TestBusRecord::cleanupTestCase()
{
    if (m_previousTz.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", m_previousTz);
    tzset();
}

void TestBusRecord::savedLineFormat_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("saved");

    // 04:31:07.123 UTC is 05:31:07.123 in Berlin in December.
    QTest::addRow("board frame sent") << int(BusDirection::Sent) << "48 03 01 06 10 14 (4)"
                                      << "2026-12-10 05:31:07.123  →  48 03 01 06 10 14 (4)";
    QTest::addRow("Modbus frame sent, its CR LF as one mark")
        << int(BusDirection::Sent) << ":01 03 00 09 00 04 EF \r\n(4)"
        << "2026-12-10 05:31:07.123  →  :01 03 00 09 00 04 EF ↵(4)";
    QTest::addRow("Modbus reply received")
        << int(BusDirection::Received) << "-> :01030881018100810081806F\r\n, id = 1, func = 3, len = 8, 81 01"
        << "2026-12-10 05:31:07.123  ←  -> :01030881018100810081806F↵, id = 1, func = 3, len = 8, 81 01";
    QTest::addRow("board reply received") << int(BusDirection::Received) << "#>480B110610FF0F00000000000053"
                                          << "2026-12-10 05:31:07.123  ←  #>480B110610FF0F00000000000053";
    QTest::addRow("annotation as a note") << int(BusDirection::Note) << "*** board_id = 17"
                                          << "2026-12-10 05:31:07.123  ※  *** board_id = 17";
    QTest::addRow("Chinese text") << int(BusDirection::Note) << "讀全部：124/124 已回覆"
                                  << "2026-12-10 05:31:07.123  ※  讀全部：124/124 已回覆";
    QTest::addRow("stray bytes never break the line")
        << int(BusDirection::Received) << QStringLiteral("-> :01\x02""03\n\r\x7F")
        << "2026-12-10 05:31:07.123  ←  -> :01␂03↵↵␡";
}

void TestBusRecord::savedLineFormat()
{
    QFETCH(int, direction);
    QFETCH(QString, text);
    QFETCH(QString, saved);

    ManualClock clock;
    BusRecord record;
    record.setClock(clock.clock());
    record.append(BusDirection(direction), text);

    QCOMPARE(record.text(), saved.toUtf8() + "\r\n");
    QCOMPARE(BusRecord::entryLine(record.at(0)), saved);
}

void TestBusRecord::stampsInLocalTimeAcrossDaysAndClockChanges()
{
    // One record, so the stamps written one after the other must follow
    // every change of date and of the offset from UTC.
    const QList<QPair<qint64, QString>> times = {
        {Utc(2026, 3, 28, 22, 59, 59, 999), "2026-03-28 23:59:59.999"},
        {Utc(2026, 3, 28, 23, 0, 0, 0), "2026-03-29 00:00:00.000"},
        {Utc(2026, 3, 29, 0, 59, 59, 999), "2026-03-29 01:59:59.999"},
        // Summer time starts: 02:00 is never shown.
        {Utc(2026, 3, 29, 1, 0, 0, 0), "2026-03-29 03:00:00.000"},
        {Utc(2026, 3, 29, 1, 0, 0, 1), "2026-03-29 03:00:00.001"},
        {Utc(2026, 10, 25, 0, 59, 59, 999), "2026-10-25 02:59:59.999"},
        // Summer time ends: the hour from 02:00 comes twice.
        {Utc(2026, 10, 25, 1, 0, 0, 0), "2026-10-25 02:00:00.000"},
        {Utc(2028, 2, 28, 23, 0, 0, 5), "2028-02-29 00:00:00.005"},
        {Utc(2028, 12, 31, 22, 59, 59, 999), "2028-12-31 23:59:59.999"},
        {Utc(2028, 12, 31, 23, 0, 0, 0), "2029-01-01 00:00:00.000"},
        // The clock set back by the user: the stamps go back with it.
        {Utc(2026, 10, 25, 0, 30, 0, 0), "2026-10-25 02:30:00.000"},
    };
    ManualClock clock;
    BusRecord record;
    record.setClock(clock.clock());
    QStringList expected;
    for (const auto &[ms, stamp] : times) {
        clock.ms = ms;
        record.append(BusDirection::Sent, QStringLiteral("x"));
        expected.append(stamp + QStringLiteral("  →  x"));
    }
    QCOMPARE(TextLines(record.text()), expected);
    QCOMPARE(LocalTimeOfDay(Utc(2026, 3, 29, 1, 0, 0, 1)), QStringLiteral("03:00:00.001"));
}

void TestBusRecord::overflowDropsTheOldestWithANote_data()
{
    QTest::addColumn<int>("appends");
    QTest::addColumn<QStringList>("saved");

    // Line n is logged n seconds after 05:31:00.000.
    QTest::addRow("full, nothing dropped") << 3 << QStringList{"05:31:01.000  →  line 1", "05:31:02.000  →  line 2",
                                                               "05:31:03.000  →  line 3"};
    QTest::addRow("one over: the oldest goes, the note says so")
        << 4 << QStringList{"05:31:02.000  ※  記錄已滿，最舊的 1 行已捨棄", "05:31:02.000  →  line 2",
                            "05:31:03.000  →  line 3", "05:31:04.000  →  line 4"};
    QTest::addRow("many times round")
        << 10 << QStringList{"05:31:08.000  ※  記錄已滿，最舊的 7 行已捨棄", "05:31:08.000  →  line 8",
                             "05:31:09.000  →  line 9", "05:31:10.000  →  line 10"};
}

void TestBusRecord::overflowDropsTheOldestWithANote()
{
    QFETCH(int, appends);
    QFETCH(QStringList, saved);

    ManualClock clock;
    BusRecord record(3);
    record.setClock(clock.clock());
    for (int n = 1; n <= appends; ++n) {
        clock.ms = Utc(2026, 12, 10, 4, 31, n, 0);
        record.append(BusDirection::Sent, QStringLiteral("line %1").arg(n));
    }
    QStringList lines = TextLines(record.text());
    for (QString &line : lines) {
        QVERIFY(line.startsWith(QStringLiteral("2026-12-10 ")));
        line.remove(0, 11);
    }
    QCOMPARE(lines, saved);
    QCOMPARE(record.droppedCount(), qint64(qMax(0, appends - 3)));
}

void TestBusRecord::fullRecordThroughTheLog()
{
    TrafficLog log;
    ManualClock clock;
    log.record().setClock(clock.clock());
    const int appends = BusRecord::kCapacity + 5;
    for (int n = 1; n <= appends; ++n)
        log.LogLine(QStringLiteral("line %1").arg(n), n % 2 ? BusDirection::Sent : BusDirection::Received);

    const BusRecord &record = log.record();
    QCOMPARE(record.size(), 200000);
    QCOMPARE(record.droppedCount(), qint64(5));
    QCOMPARE(record.at(0).text, QStringLiteral("line 6"));
    QCOMPARE(record.at(0).direction, BusDirection::Received);
    QCOMPARE(record.at(record.size() - 1).text, QStringLiteral("line %1").arg(appends));
    const QByteArray text = record.text();
    QVERIFY(text.startsWith("2026-12-10 05:31:07.123  ※  記錄已滿，最舊的 5 行已捨棄\r\n"
                            "2026-12-10 05:31:07.123  ←  line 6\r\n"));
    QCOMPARE(text.count("\r\n"), 200001);
    // The list keeps its own cap all along.
    QCOMPARE(log.lineCount(), (appends - 1) % (TrafficLog::kMaxLinesBeforeClear + 1) + 1);
    QCOMPARE(log.line(log.lineCount() - 1), QStringLiteral("line %1").arg(appends));
}

void TestBusRecord::clearingTheListKeepsTheRecord()
{
    TrafficLog log;
    log.LogLine(QStringLiteral("48 03 01 06 10 14 (4)"), BusDirection::Sent);
    log.LogLine(QStringLiteral("#>480B010610FF0F0000000000005A"), BusDirection::Received);
    // The scan and the board test clear the list when they start.
    log.clear();
    QCOMPARE(log.lineCount(), 0);
    // 1002 more: the cap empties the list once more on the way.
    for (int n = 1; n <= 1002; ++n)
        log.LogLine(QStringLiteral("line %1").arg(n), BusDirection::Note);
    QCOMPARE(log.lineCount(), 1);

    const BusRecord &record = log.record();
    QCOMPARE(record.size(), 1004);
    QCOMPARE(record.at(0).text, QStringLiteral("48 03 01 06 10 14 (4)"));
    QCOMPARE(record.at(0).direction, BusDirection::Sent);
    QCOMPARE(record.at(1).direction, BusDirection::Received);
    QCOMPARE(record.at(2).text, QStringLiteral("line 1"));
    QCOMPARE(record.at(1003).text, QStringLiteral("line 1002"));
    QCOMPARE(record.droppedCount(), qint64(0));
}

void TestBusRecord::saveWritesTheWholeRecordAsUtf8()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("記錄.txt"));
    ManualClock clock;
    BusRecord record;
    record.setClock(clock.clock());
    record.append(BusDirection::Sent, QStringLiteral("48 03 01 06 10 14 (4)"));
    clock.ms += 1250;
    record.append(BusDirection::Note, QStringLiteral("掃描：1/19 已回覆：板1"));

    // Over an older file, which is replaced.
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older record that was longer than this one\r\n\r\n\r\n\r\n\r\n");
    old.close();

    record.saveTo(path);
    QCOMPARE(ReadAll(path), QByteArray("2026-12-10 05:31:07.123  \xE2\x86\x92  48 03 01 06 10 14 (4)\r\n"
                                       "2026-12-10 05:31:08.373  \xE2\x80\xBB  ")
                                + QStringLiteral("掃描：1/19 已回覆：板1").toUtf8() + "\r\n");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("記錄.txt")});
}

void TestBusRecord::emptyRecordSavesAnEmptyFile()
{
    // Saved before anything was sent.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.txt"));
    BusRecord record;
    record.saveTo(path);
    QCOMPARE(ReadAll(path), QByteArray());
    QCOMPARE(record.savedLineCount(), 0);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, record.at(0));
}

void TestBusRecord::saveThatCannotWriteNamesPathAndReason_data()
{
    QTest::addColumn<QString>("target"); // relative to the test folder
    QTest::addColumn<bool>("needsPermissions");

    QTest::addRow("folder that does not exist") << "gone/record.txt" << false;
    QTest::addRow("folder that is a file") << "plain.txt/record.txt" << false;
    QTest::addRow("name of a folder") << "sub" << false;
    QTest::addRow("folder without write permission") << "locked/record.txt" << true;
}

void TestBusRecord::saveThatCannotWriteNamesPathAndReason()
{
    QFETCH(QString, target);
    QFETCH(bool, needsPermissions);
    if (needsPermissions && geteuid() == 0)
        QSKIP("root writes into any folder");

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    QDir(dir.path()).mkdir(QStringLiteral("locked"));
    QFile plain(dir.filePath(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);
    const auto unlock = OnScopeExit([&dir] {
        QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    BusRecord record;
    record.append(BusDirection::Sent, QStringLiteral("48 03 01 06 10 14 (4)"));
    const QString path = dir.filePath(target);
    QString error;
    try {
        record.saveTo(path);
    } catch (const KvtError &e) {
        error = e.text();
    }
    const QString prefix = QStringLiteral("Cannot save the bus record to %1: ").arg(QDir::toNativeSeparators(path));
    QVERIFY2(error.startsWith(prefix), qPrintable(error));
    QVERIFY2(error.size() > prefix.size(), "no reason given");
    QVERIFY2(!error.contains(QLatin1Char('\n')), qPrintable(error));
    // The record is kept for the next try.
    QCOMPARE(record.size(), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("locked"), QStringLiteral("plain.txt"), QStringLiteral("sub")}));
    QVERIFY(QDir(dir.filePath(QStringLiteral("sub"))).isEmpty());
}

void TestBusRecord::diskFillingDuringTheSaveLeavesTheOldFile()
{
    // A file size limit makes writes fail past 64 KiB, as a full disk does.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("record.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("yesterday's record\r\n");
    old.close();

    BusRecord record;
    for (int n = 0; n < 5000; ++n)
        record.append(BusDirection::Sent, QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)"));

    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    {
        const auto restore = OnScopeExit([&] {
            setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, previousSignal);
        });
        try {
            record.saveTo(path);
        } catch (const KvtError &e) {
            error = e.text();
        }
    }
    QVERIFY2(error.startsWith(QStringLiteral("Cannot save the bus record to %1: ")
                                  .arg(QDir::toNativeSeparators(path))),
             qPrintable(error));
    QCOMPARE(ReadAll(path), QByteArray("yesterday's record\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("record.txt")});
    QCOMPARE(record.size(), 5000);

    // With room again the same record is saved whole.
    record.saveTo(path);
    QCOMPARE(ReadAll(path), record.text());
}

QTEST_GUILESS_MAIN(TestBusRecord)
#include "tst_busrecord.moc"
