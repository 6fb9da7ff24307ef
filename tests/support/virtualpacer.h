#pragma once

#include "link/pacer.h"

#include <functional>
#include <vector>

// Test pacer: records every pause and event-processing point in order, advances
// a virtual clock by each pause (never sleeps) and still processes pending
// events, so replies injected at a point reach their handlers there.
class VirtualPacer : public Pacer
{
public:
    enum class StepKind { Pause, ProcessEvents, Wait };
    struct Step
    {
        StepKind kind;
        int ms; // the pause, or how long the wait lasted; 0 for ProcessEvents
        qint64 atMs; // virtual time since start when the step began
        int limitMs = 0; // the wait's time-out
    };

    explicit VirtualPacer(const QDateTime &start = QDateTime(QDate(2026, 1, 5), QTime(9, 0)));

    void pause(int ms) override;
    void processEvents() override;
    QDateTime now() const override;
    // Runs due actions and pending events, then moves the clock on to the next
    // scheduled action or the time-out, until done() holds.
    bool waitUntil(const std::function<bool()> &done, int timeoutMs) override;

    // Runs action at the first event-processing point (or wait) at or after
    // the virtual time atMs since start: a reply that comes that much later.
    void schedule(qint64 atMs, std::function<void()> action);
    // Sum of all recorded waits' durations.
    qint64 totalWaitMs() const;

    // Moves the clock without recording a step (time passing between commands).
    void advance(qint64 ms);
    qint64 elapsedMs() const { return m_elapsedMs; }
    const std::vector<Step> &steps() const { return m_steps; }
    void clearSteps() { m_steps.clear(); }
    // Sum of all recorded pauses.
    qint64 totalPauseMs() const;
    // Called at each event-processing point before the events run, with the
    // index of that point (0, 1, ...); each round of a wait is one. Tests
    // inject replies here.
    std::function<void(int)> onProcessEvents;
    // Called at each pause before the clock moves, with the index of that pause.
    std::function<void(int)> onPause;

private:
    void runDueActions();

    struct Scheduled
    {
        qint64 atMs;
        std::function<void()> action;
    };
    std::vector<Scheduled> m_scheduled;
    QDateTime m_start;
    qint64 m_elapsedMs = 0;
    int m_processCount = 0;
    int m_pauseCount = 0;
    std::vector<Step> m_steps;
};
