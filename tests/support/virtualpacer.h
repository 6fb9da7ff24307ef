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
    enum class StepKind { Pause, ProcessEvents };
    struct Step
    {
        StepKind kind;
        int ms; // the pause; 0 for ProcessEvents
        qint64 atMs; // virtual time since start when the step began
    };

    explicit VirtualPacer(const QDateTime &start = QDateTime(QDate(2026, 1, 5), QTime(9, 0)));

    void pause(int ms) override;
    void processEvents() override;
    QDateTime now() const override;

    // Moves the clock without recording a step (time passing between commands).
    void advance(qint64 ms);
    qint64 elapsedMs() const { return m_elapsedMs; }
    const std::vector<Step> &steps() const { return m_steps; }
    void clearSteps() { m_steps.clear(); }
    // Sum of all recorded pauses.
    qint64 totalPauseMs() const;
    // Called at each event-processing point before the events run, with the
    // index of that point (0, 1, ...). Tests inject replies here.
    std::function<void(int)> onProcessEvents;
    // Called at each pause before the clock moves, with the index of that pause.
    std::function<void(int)> onPause;

private:
    QDateTime m_start;
    qint64 m_elapsedMs = 0;
    int m_processCount = 0;
    int m_pauseCount = 0;
    std::vector<Step> m_steps;
};
