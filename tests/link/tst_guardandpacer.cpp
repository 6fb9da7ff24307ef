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
    void virtualWaitUntil_data();
    void virtualWaitUntil();
    void realWaitUntil_data();
    void realWaitUntil();
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

void TestGuardAndPacer::virtualWaitUntil_data()
{
    QTest::addColumn<qint64>("actionAtMs"); // -1: nothing comes
    QTest::addColumn<bool>("queued"); // the action is a queued event, not a scheduled one
    QTest::addColumn<bool>("held");
    QTest::addColumn<int>("lastedMs");

    QTest::addRow("condition true from the start") << qint64(0) << false << true << 0;
    QTest::addRow("a queued event makes it true at once") << qint64(-1) << true << true << 0;
    QTest::addRow("made true 40 ms in: the wait ends there") << qint64(40) << false << true << 40;
    QTest::addRow("made true at the time-out") << qint64(250) << false << true << 250;
    QTest::addRow("made true after the time-out") << qint64(251) << false << false << 250;
    QTest::addRow("nothing comes: the whole time-out") << qint64(-1) << false << false << 250;
}

void TestGuardAndPacer::virtualWaitUntil()
{
    QFETCH(qint64, actionAtMs);
    QFETCH(bool, queued);
    QFETCH(bool, held);
    QFETCH(int, lastedMs);

    VirtualPacer pacer;
    pacer.advance(1000);
    bool flag = false;
    QObject context;
    if (queued)
        QMetaObject::invokeMethod(&context, [&flag] { flag = true; }, Qt::QueuedConnection);
    else if (actionAtMs == 0)
        flag = true;
    else if (actionAtMs > 0)
        pacer.schedule(1000 + actionAtMs, [&flag] { flag = true; });
    int points = 0;
    pacer.onProcessEvents = [&points](int) { ++points; };

    QCOMPARE(pacer.waitUntil([&flag] { return flag; }, 250), held);

    QCOMPARE(pacer.elapsedMs(), 1000 + lastedMs);
    QCOMPARE(pacer.steps().size(), size_t(1));
    QCOMPARE(pacer.steps()[0].kind, VirtualPacer::StepKind::Wait);
    QCOMPARE(pacer.steps()[0].ms, lastedMs);
    QCOMPARE(pacer.steps()[0].limitMs, 250);
    QCOMPARE(pacer.totalWaitMs(), qint64(lastedMs));
    QCOMPARE(pacer.totalPauseMs(), qint64(0));
    // Every round of the wait is an event-processing point.
    QCOMPARE(points > 0, actionAtMs != 0 || queued);
    if (actionAtMs > 250) {
        // Still due: it runs at the next event-processing point.
        QVERIFY(!flag);
        pacer.advance(1);
        pacer.processEvents();
        QVERIFY(flag);
    }
}

void TestGuardAndPacer::realWaitUntil_data()
{
    QTest::addColumn<int>("setAfterMs"); // -1: never
    QTest::addColumn<bool>("held");
    QTest::addRow("set by a timer 20 ms in") << 20 << true;
    QTest::addRow("never set: the time-out") << -1 << false;
}

void TestGuardAndPacer::realWaitUntil()
{
    QFETCH(int, setAfterMs);
    QFETCH(bool, held);

    RealPacer pacer;
    bool flag = false;
    QObject context;
    if (setAfterMs >= 0)
        QTimer::singleShot(setAfterMs, &context, [&flag] { flag = true; });
    QElapsedTimer clock;
    clock.start();
    const int timeoutMs = held ? 10000 : 60;

    QCOMPARE(pacer.waitUntil([&flag] { return flag; }, timeoutMs), held);

    // Events ran (the timer fired), and the wait ended at the condition, not
    // at the time-out; or lasted the whole time-out.
    QCOMPARE(flag, held);
    if (held)
        QVERIFY(clock.elapsed() < timeoutMs);
    else
        QVERIFY(clock.elapsed() >= timeoutMs);
}

QTEST_GUILESS_MAIN(TestGuardAndPacer)
#include "tst_guardandpacer.moc"
