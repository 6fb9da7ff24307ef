#pragma once

#include <QDateTime>
#include <functional>

// The one place that pauses the GUI thread, lets pending events run and tells
// the time. Commands never sleep or pump events any other way, so tests can
// replace the clock and watch the pacing.
class Pacer
{
public:
    virtual ~Pacer() = default;
    // Blocks the GUI thread; pending events wait.
    virtual void pause(int ms) = 0;
    // Runs the events that are pending (replies, user input).
    virtual void processEvents() = 0;
    // Local date and time, millisecond resolution.
    virtual QDateTime now() const = 0;
    // Lets events run until done() holds or timeoutMs have passed, whichever
    // comes first; done() is asked before the first events run and after
    // each. True when done() held.
    virtual bool waitUntil(const std::function<bool()> &done, int timeoutMs) = 0;
};

// Production pacer: real sleeps and the real event queue.
class RealPacer : public Pacer
{
public:
    void pause(int ms) override;
    void processEvents() override;
    QDateTime now() const override;
    bool waitUntil(const std::function<bool()> &done, int timeoutMs) override;
};
