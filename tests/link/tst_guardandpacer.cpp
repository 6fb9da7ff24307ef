// The handler guard, the scope guard and the virtual pacer that every command
// relies on.
#include "recordingerrorreporter.h"
#include "virtualpacer.h"

#include "link/scopeguard.h"
#include "protocol/kvterror.h"

#include <QtTest>
#include <stdexcept>

class TestGuardAndPacer : public QObject
{
    Q_OBJECT

private slots:
    void guardReportsAndEndsTheHandler_data();
    void guardReportsAndEndsTheHandler();
    void nestedHandlersReportTheirOwnErrors();
    void scopeGuardRunsOnEveryPath();
    void runningCommandIsMarkedUntilItEnds_data();
    void runningCommandIsMarkedUntilItEnds();
    void virtualPacerRecordsStepsAndMovesTheClock();
    void virtualPacerRunsPendingEventsAfterTheHook();
    void virtualPacerPauseRunsNoEvents();
};

void TestGuardAndPacer::guardReportsAndEndsTheHandler_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<bool>("succeeded");

    QTest::addRow("no error") << 0 << QStringList() << true;
    QTest::addRow("KvtError with Chinese text")
        << 1 << QStringList{QStringLiteral("'0A' is not a valid integer value 燈光")} << false;
    QTest::addRow("std::runtime_error") << 2 << QStringList{QStringLiteral("disk full")} << false;
    QTest::addRow("anything else") << 3 << QStringList{QStringLiteral("Unknown error")} << false;
}

void TestGuardAndPacer::guardReportsAndEndsTheHandler()
{
    QFETCH(int, failure);
    QFETCH(QStringList, reported);
    QFETCH(bool, succeeded);

    RecordingErrorReporter reporter;
    bool reachedEnd = false;
    const bool ok = RunGuarded(reporter, [&] {
        if (failure == 1)
            throw KvtError(QStringLiteral("'0A' is not a valid integer value 燈光"));
        if (failure == 2)
            throw std::runtime_error("disk full");
        if (failure == 3)
            throw 42;
        reachedEnd = true;
    });

    QCOMPARE(ok, succeeded);
    QCOMPARE(reachedEnd, succeeded);
    QCOMPARE(reporter.errors(), reported);
}

void TestGuardAndPacer::nestedHandlersReportTheirOwnErrors()
{
    // A packet handler failing inside a command's event processing ends only
    // itself; the command goes on.
    RecordingErrorReporter reporter;
    QStringList trace;
    RunGuarded(reporter, [&] {
        trace << "command starts";
        RunGuarded(reporter, [&] { throw KvtError(QStringLiteral("reply error")); });
        trace << "command goes on";
        throw KvtError(QStringLiteral("command error"));
    });
    QCOMPARE(trace, (QStringList{"command starts", "command goes on"}));
    QCOMPARE(reporter.errors(), (QStringList{"reply error", "command error"}));
}

void TestGuardAndPacer::scopeGuardRunsOnEveryPath()
{
    RecordingErrorReporter reporter;
    bool scanning = false;
    int restored = 0;
    const auto command = [&](bool fail) {
        scanning = true;
        const auto restore = OnScopeExit([&] {
            scanning = false;
            ++restored;
        });
        if (fail)
            throw KvtError(QStringLiteral("COM7 is busy"));
    };

    QVERIFY(RunGuarded(reporter, [&] { command(false); }));
    QVERIFY(!scanning);
    QVERIFY(!RunGuarded(reporter, [&] { command(true); }));
    QVERIFY(!scanning);
    QCOMPARE(restored, 2);
}

void TestGuardAndPacer::runningCommandIsMarkedUntilItEnds_data()
{
    QTest::addColumn<bool>("fails");
    QTest::addRow("returns") << false;
    QTest::addRow("raises") << true;
}

void TestGuardAndPacer::runningCommandIsMarkedUntilItEnds()
{
    QFETCH(bool, fails);
    RecordingErrorReporter reporter;
    bool running = false;
    QStringList trace;
    const auto command = [&] {
        const CommandRunning mark(running, [&](bool enabled) {
            trace.append(QStringLiteral("%1 running=%2").arg(enabled ? "enabled" : "disabled").arg(running));
        });
        trace.append(QStringLiteral("step running=%1").arg(running));
        if (fails)
            throw KvtError(QStringLiteral("COM7 is busy"));
    };

    QCOMPARE(RunGuarded(reporter, command), !fails);
    QVERIFY(!running);
    // Disabled once the flag is set, enabled again before it is cleared.
    QCOMPARE(trace, QStringList({"disabled running=1", "step running=1", "enabled running=1"}));
}

void TestGuardAndPacer::virtualPacerRecordsStepsAndMovesTheClock()
{
    const QDateTime start(QDate(2026, 3, 1), QTime(8, 30));
    VirtualPacer pacer(start);
    pacer.pause(100);
    pacer.processEvents();
    pacer.pause(200);
    pacer.advance(5000); // time between commands: no step
    pacer.processEvents();

    const std::vector<VirtualPacer::Step> &steps = pacer.steps();
    QCOMPARE(steps.size(), size_t(4));
    QCOMPARE(steps[0].kind, VirtualPacer::StepKind::Pause);
    QCOMPARE(steps[0].ms, 100);
    QCOMPARE(steps[0].atMs, 0);
    QCOMPARE(steps[1].kind, VirtualPacer::StepKind::ProcessEvents);
    QCOMPARE(steps[1].atMs, 100);
    QCOMPARE(steps[2].ms, 200);
    QCOMPARE(steps[2].atMs, 100);
    QCOMPARE(steps[3].kind, VirtualPacer::StepKind::ProcessEvents);
    QCOMPARE(steps[3].atMs, 5300);
    QCOMPARE(pacer.totalPauseMs(), 300);
    QCOMPARE(pacer.now(), start.addMSecs(5300));
}

void TestGuardAndPacer::virtualPacerRunsPendingEventsAfterTheHook()
{
    VirtualPacer pacer;
    QStringList trace;
    QObject receiver;
    // An event posted by the hook (a reply injected at this point) is run by
    // the same event-processing step.
    pacer.onProcessEvents = [&](int index) {
        trace << QStringLiteral("hook %1").arg(index);
        QMetaObject::invokeMethod(
            &receiver, [&trace, index] { trace << QStringLiteral("event %1").arg(index); },
            Qt::QueuedConnection);
    };
    pacer.processEvents();
    pacer.processEvents();
    QCOMPARE(trace, (QStringList{"hook 0", "event 0", "hook 1", "event 1"}));
}

void TestGuardAndPacer::virtualPacerPauseRunsNoEvents()
{
    VirtualPacer pacer;
    QObject receiver;
    bool ran = false;
    QMetaObject::invokeMethod(&receiver, [&ran] { ran = true; }, Qt::QueuedConnection);
    pacer.pause(100);
    QVERIFY(!ran);
    pacer.processEvents();
    QVERIFY(ran);
}

QTEST_GUILESS_MAIN(TestGuardAndPacer)
#include "tst_guardandpacer.moc"
