// The bus record of a whole main window: "儲存記錄…" from the file menu and
// from the log's context menu, the record kept across the scan's clearing,
// saves that fail, the real save dialog, and the list's time display and
// copying.
#include "mainwindowfixture.h"
#include "scriptedboards.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/qtfiledialogs.h"
#include "app/recordcommands.h"
#include "app/statusprogress.h"
#include "app/trafficlogview.h"
#include "link/busrecord.h"
#include "link/trafficlog.h"
#include "protocol/boardframe.h"
#include "scenes/keyswitch.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <functional>

namespace {

// Answers the save dialog as the test says and counts how often it was asked.
class ScriptedRecordDialog : public RecordFileDialog
{
public:
    std::optional<QString> saveRecordFile(const QString &startName) override
    {
        startNames.append(startName);
        if (whileShown)
            whileShown();
        return answer;
    }

    std::optional<QString> answer;
    QStringList startNames;
    // Runs while the dialog is up, as events do under a modal dialog.
    std::function<void()> whileShown;
};

struct Recording
{
    Recording()
    {
        fixture.form().recordCommands().setFileDialog(dialog);
        // Board frames: a reply brings its annotations as notes.
        if (menu().miRelaymodbus->isChecked())
            menu().miRelaymodbus->trigger();
    }

    MainMenu &menu() { return fixture.form().menu(); }
    TrafficLog &log() { return fixture.form().trafficLog(); }
    TrafficLogView *list() { return fixture.form().pages().ListBox1; }
    QString path(const QString &name) const { return fixture.dir.filePath(name); }
    void save(const QString &file)
    {
        dialog.answer = file;
        menu().miSaveRecord->trigger();
    }

    MainWindowFixture fixture;
    ScriptedRecordDialog dialog;
};

QStringList SavedLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(no file)")};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// "2026-01-05 09:00:00.200  →  text" split into stamp and the rest.
QPair<QString, QString> SplitLine(const QString &line)
{
    static const QRegularExpression stamp(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3})  (.*)$"));
    const QRegularExpressionMatch match = stamp.match(line);
    if (!match.hasMatch())
        return {QString(), line};
    return {match.captured(1), match.captured(2)};
}

} // namespace

class TestBusRecording : public QObject
{
    Q_OBJECT

private slots:
    void saveRecordFromEitherMenu_data();
    void saveRecordFromEitherMenu();
    void recordKeepsWhatTheScanClearsFromTheList();
    void summaryShownGoesIntoTheRecordOnly();
    void saveThatFailsKeepsTheRecord();
    void cancelledSaveWritesNothing();
    void saveReachedAgainWhileItsDialogIsUp();
    void realDialogOffersATimedTextFile();
    void showTimeInFrontOfEachLine();
    void copySelectedLines_data();
    void copySelectedLines();
    void newLineStillBecomesTheOneSelection();
};

void TestBusRecording::saveRecordFromEitherMenu_data()
{
    QTest::addColumn<bool>("fromContextMenu");

    QTest::addRow("file menu") << false;
    QTest::addRow("log's context menu") << true;
}

void TestBusRecording::saveRecordFromEitherMenu()
{
    QFETCH(bool, fromContextMenu);

    Recording r;
    QAction *item = r.fixture.find<QAction>(QStringLiteral("miSaveRecord"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("儲存記錄…"));
    QVERIFY(r.fixture.find<QMenu>(QStringLiteral("N1"))->actions().contains(item));
    QCOMPARE(r.list()->contextMenuPolicy(), Qt::ActionsContextMenu);
    QVERIFY(r.list()->actions().contains(item));

    ScriptedBoards boards(*r.fixture.transport, r.fixture.pacer);
    boards.addBoard(2);
    r.menu().miScan->trigger();
    QVERIFY2(r.fixture.errors.errors().isEmpty(), qPrintable(r.fixture.errors.errors().join('\n')));

    const QString path = r.path(QStringLiteral("day.txt"));
    r.dialog.answer = path;
    if (fromContextMenu) {
        const QList<QAction *> context = r.list()->actions();
        context.at(context.indexOf(item))->trigger();
    } else {
        item->trigger();
    }
    QVERIFY2(r.fixture.errors.errors().isEmpty(), qPrintable(r.fixture.errors.errors().join('\n')));
    QCOMPARE(r.dialog.startNames, QStringList{QStringLiteral("kvt-record-20260105-090013.txt")});

    // Every line of the list, in order, with its time and direction, then
    // the scan's summary.
    const QStringList saved = SavedLines(path);
    const QStringList logged = r.log().lines();
    QCOMPARE(saved.size(), logged.size() + 1);
    QCOMPARE(saved.last(), QStringLiteral("2026-01-05 09:00:13.300  ※  ") + r.fixture.form().progress().summaryText());
    QString previous;
    int sent = 0;
    for (int i = 0; i < logged.size(); ++i) {
        const auto [stamp, rest] = SplitLine(saved[i]);
        QVERIFY2(!stamp.isEmpty(), qPrintable(saved[i]));
        QVERIFY2(stamp >= previous, qPrintable(saved[i]));
        previous = stamp;
        const QString text = TrafficLog::displayText(logged[i]);
        if (logged[i].endsWith(QStringLiteral("(4)"))) {
            QCOMPARE(rest, QStringLiteral("→  ") + text);
            ++sent;
        } else if (logged[i].startsWith(QStringLiteral("#>"))) {
            QCOMPARE(rest, QStringLiteral("←  ") + text);
        } else {
            QCOMPARE(rest, QStringLiteral("※  ") + text);
        }
    }
    QCOMPARE(sent, kSlotCount);
    // The scan's first frame goes out at once; each slot takes 700 ms, and
    // board 2 answers at the first events after its frame's 100 ms pause.
    QCOMPARE(saved[0], QStringLiteral("2026-01-05 09:00:00.000  →  48 03 01 06 10 14 (4)"));
    QCOMPARE(saved[1], QStringLiteral("2026-01-05 09:00:00.700  →  48 03 02 06 10 17 (4)"));
    const QByteArray reply = BoardFrame(QByteArray::fromHex("020610") + ScriptedBoards::InitialData(2, 0));
    QCOMPARE(saved[2], QStringLiteral("2026-01-05 09:00:00.800  ←  #>") + QString::fromLatin1(reply.toHex().toUpper()));
    QCOMPARE(saved[3], QStringLiteral("2026-01-05 09:00:00.800  ※  *** board_id = 2"));
    QCOMPARE(r.fixture.form().statusBar()->currentMessage(),
             QStringLiteral("記錄已儲存：%1（%2 行）").arg(path).arg(saved.size()));
}

void TestBusRecording::recordKeepsWhatTheScanClearsFromTheList()
{
    Recording r;
    r.fixture.setBoardPresent(1, true);
    r.fixture.form().keySwitch().selectKeyIndex(5);
    r.menu().btnRead->trigger();
    // The scan then asks for key 1: its frames differ from the read's.
    r.fixture.form().keySwitch().selectKeyIndex(-1);
    const QStringList beforeScan = r.log().lines();
    QVERIFY(!beforeScan.isEmpty());

    r.menu().miScan->trigger();
    // The list starts again with the scan, as designed.
    QCOMPARE(r.log().lineCount(), kSlotCount);
    QVERIFY2(!r.log().lines().contains(beforeScan.first()), qPrintable(beforeScan.join('\n')));

    r.save(r.path(QStringLiteral("r.txt")));
    const QStringList saved = SavedLines(r.path(QStringLiteral("r.txt")));
    // The read and the scan each add their summary.
    QCOMPARE(saved.size(), beforeScan.size() + 1 + kSlotCount + 1);
    for (int i = 0; i < beforeScan.size(); ++i)
        QVERIFY2(saved[i].endsWith(TrafficLog::displayText(beforeScan[i])), qPrintable(saved[i]));
}

void TestBusRecording::summaryShownGoesIntoTheRecordOnly()
{
    Recording r;
    ScriptedBoards boards(*r.fixture.transport, r.fixture.pacer);
    boards.addBoard(2);
    r.menu().miScan->trigger();
    const QString summary = r.fixture.form().progress().summaryText();
    QVERIFY(!summary.isEmpty());

    const BusRecord &record = r.log().record();
    QCOMPARE(record.at(record.size() - 1).text, summary);
    QCOMPARE(record.at(record.size() - 1).direction, BusDirection::Note);
    // The list shows only its designed lines.
    QVERIFY(!r.log().lines().contains(summary));
    QCOMPARE(record.size(), r.log().lineCount() + 1);

    r.save(r.path(QStringLiteral("r.txt")));
    QVERIFY2(SavedLines(r.path(QStringLiteral("r.txt"))).last().endsWith(QStringLiteral("  ※  ") + summary),
             qPrintable(SavedLines(r.path(QStringLiteral("r.txt"))).last()));
}

void TestBusRecording::saveThatFailsKeepsTheRecord()
{
    Recording r;
    r.menu().miScan->trigger();
    const int entries = r.log().record().size();

    // The folder went away during the run (a removed stick, a deleted folder).
    const QString path = r.path(QStringLiteral("gone/day.txt"));
    r.save(path);
    QCOMPARE(r.fixture.errors.errors().size(), 1);
    const QString error = r.fixture.errors.errors().first();
    QVERIFY2(error.startsWith(QStringLiteral("Cannot save the bus record to %1: ").arg(path)), qPrintable(error));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(r.log().record().size(), entries);
    QVERIFY(r.menu().miSaveRecord->isEnabled());

    r.save(r.path(QStringLiteral("day.txt")));
    QCOMPARE(r.fixture.errors.errors().size(), 1);
    QCOMPARE(SavedLines(r.path(QStringLiteral("day.txt"))).size(), entries);
}

void TestBusRecording::cancelledSaveWritesNothing()
{
    Recording r;
    r.menu().miScan->trigger();
    r.dialog.answer.reset();
    r.menu().miSaveRecord->trigger();
    QCOMPARE(r.dialog.startNames.size(), 1);
    QVERIFY(r.fixture.errors.errors().isEmpty());
    QCOMPARE(QDir(r.fixture.dir.path()).entryList(QDir::Files), QStringList());
    QVERIFY(r.menu().miSaveRecord->isEnabled());
}

void TestBusRecording::saveReachedAgainWhileItsDialogIsUp()
{
    Recording r;
    QList<bool> enabled;
    r.dialog.whileShown = [&] {
        enabled.append(r.menu().miSaveRecord->isEnabled());
        // A packet handled while the dialog is up, and the item chosen again
        // (through the automation channel or a second window).
        r.log().LogLine(QStringLiteral("#>480B010610FF0F0000000000005A"), BusDirection::Received);
        r.fixture.form().miSaveRecordClick();
    };
    r.save(r.path(QStringLiteral("r.txt")));
    QCOMPARE(r.dialog.startNames.size(), 1);
    QCOMPARE(enabled, QList<bool>{false});
    QVERIFY(r.menu().miSaveRecord->isEnabled());
    QCOMPARE(SavedLines(r.path(QStringLiteral("r.txt"))),
             QStringList{QStringLiteral("2026-01-05 09:00:00.000  ←  #>480B010610FF0F0000000000005A")});
}

void TestBusRecording::realDialogOffersATimedTextFile()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });

    QStringList filters;
    QString suffix;
    bool confirmsOverwrite = false;
    QString folder;
    QtRecordFileDialog dialog(nullptr, [&](QDialog &shown) {
        auto &files = static_cast<QFileDialog &>(shown);
        filters = files.nameFilters();
        suffix = files.defaultSuffix();
        confirmsOverwrite = !files.testOption(QFileDialog::DontConfirmOverwrite);
        folder = files.directory().canonicalPath();
        QCOMPARE(files.acceptMode(), QFileDialog::AcceptSave);
        static_cast<QDialog &>(files).accept();
    });
    const std::optional<QString> chosen = dialog.saveRecordFile(QStringLiteral("kvt-record-20260105-090000.txt"));
    QCOMPARE(filters, QStringList({QStringLiteral("記錄檔 (*.txt)"), QStringLiteral("所有檔案 (*)")}));
    QCOMPARE(suffix, QStringLiteral("txt"));
    QVERIFY(confirmsOverwrite);
    QCOMPARE(folder, QDir(dir.path()).canonicalPath());
    QVERIFY(chosen);
    QCOMPARE(*chosen, QDir(dir.path()).filePath(QStringLiteral("kvt-record-20260105-090000.txt")));
}

void TestBusRecording::showTimeInFrontOfEachLine()
{
    Recording r;
    QAction *item = r.fixture.find<QAction>(QStringLiteral("miShowTime"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("顯示時間"));
    QVERIFY(item->isCheckable());
    QVERIFY(!item->isChecked());
    QVERIFY(r.list()->actions().contains(item));

    r.log().LogLine(QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)"), BusDirection::Sent);
    r.fixture.pacer.advance(1234);
    r.log().LogLine(QStringLiteral("*** board_id = 17"), BusDirection::Note);
    const auto shown = [&r] {
        QStringList rows;
        for (int row = 0; row < r.log().rowCount(); ++row)
            rows.append(r.log().index(row).data().toString());
        return rows;
    };
    const QStringList plain{QStringLiteral(":01 03 00 09 00 04 EF ↵(4)"), QStringLiteral("*** board_id = 17")};
    QCOMPARE(shown(), plain);

    QSignalSpy changed(r.list()->model(), &QAbstractItemModel::dataChanged);
    item->trigger();
    QCOMPARE(shown(), QStringList({QStringLiteral("09:00:00.000  :01 03 00 09 00 04 EF ↵(4)"),
                                   QStringLiteral("09:00:01.234  *** board_id = 17")}));
    QCOMPARE(changed.size(), 1);
    // The lines themselves stay as logged.
    QCOMPARE(r.log().line(1), QStringLiteral("*** board_id = 17"));
    r.log().LogLine(QStringLiteral("48 03 01 06 10 14 (4)"), BusDirection::Sent);
    QCOMPARE(r.log().index(2).data().toString(), QStringLiteral("09:00:01.234  48 03 01 06 10 14 (4)"));

    item->trigger();
    QCOMPARE(shown().mid(0, 2), plain);
    QVERIFY(!r.log().showTime());
}

void TestBusRecording::copySelectedLines_data()
{
    QTest::addColumn<bool>("withTime");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QString>("copied");

    const QString lines = QStringLiteral(":01 03 00 09 00 04 EF ↵(4)\n*** board_id = 3");
    QTest::addRow("Ctrl+C") << false << true << lines;
    QTest::addRow("複製 of the context menu") << false << false << lines;
    QTest::addRow("with the time shown")
        << true << true << QStringLiteral("09:00:00.200  :01 03 00 09 00 04 EF ↵(4)\n09:00:00.400  *** board_id = 3");
}

void TestBusRecording::copySelectedLines()
{
    QFETCH(bool, withTime);
    QFETCH(bool, byKey);
    QFETCH(QString, copied);

    Recording r;
    r.fixture.form().pages().PageControl3->setCurrentWidget(r.fixture.form().pages().tsLog);
    r.fixture.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&r.fixture.form()));
    const QStringList lines{"48 03 01 06 10 14 (4)", ":01 03 00 09 00 04 EF \r\n(4)", "#>480B030610FF0F0000000000005A",
                            "*** board_id = 3", "48 03 02 06 10 17 (4)"};
    for (const QString &line : lines) {
        r.fixture.pacer.advance(100);
        r.log().LogLine(line, BusDirection::Note);
    }
    if (withTime)
        r.fixture.find<QAction>(QStringLiteral("miShowTime"))->trigger();

    TrafficLogView *list = r.list();
    // The user picks two lines apart, the later one first.
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(r.log().index(3)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(r.log().index(1)).center());
    QCOMPARE(list->selectionModel()->selectedRows().size(), 2);

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    if (byKey)
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    else
        r.fixture.find<QAction>(QStringLiteral("miCopyLog"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);

    // Nothing selected: the clipboard keeps what it had.
    list->clearSelection();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void TestBusRecording::newLineStillBecomesTheOneSelection()
{
    Recording r;
    for (int n = 0; n < 4; ++n)
        r.log().LogLine(QStringLiteral("line %1").arg(n), BusDirection::Note);
    TrafficLogView *list = r.list();
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    list->selectionModel()->select(r.log().index(0), QItemSelectionModel::Select);
    list->selectionModel()->select(r.log().index(2), QItemSelectionModel::Select);

    r.log().LogLine(QStringLiteral("newest"), BusDirection::Note);
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 4);
    QCOMPARE(list->currentIndex().row(), 4);
}

QTEST_MAIN(TestBusRecording)
#include "tst_busrecording.moc"
