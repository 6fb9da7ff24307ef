#pragma once

#include <functional>
#include <utility>

// Runs a step when the scope ends, on every path (return, error).
template <typename F>
class ScopeGuard
{
public:
    explicit ScopeGuard(F f) : m_f(std::move(f)) {}
    ~ScopeGuard() { m_f(); }
    ScopeGuard(const ScopeGuard &) = delete;
    ScopeGuard &operator=(const ScopeGuard &) = delete;

private:
    F m_f;
};

template <typename F>
ScopeGuard<F> OnScopeExit(F f)
{
    return ScopeGuard<F>(std::move(f));
}

// Marks a command as running for as long as it lives: its flag set and, when
// it has one, its menu item or button disabled. Both are restored on every
// path (return, error). The caller decides first what a command reached
// again while its flag is set does (returns, reports, raises).
class CommandRunning
{
public:
    using SetEnabled = std::function<void(bool enabled)>;

    explicit CommandRunning(bool &running, SetEnabled setEnabled = {})
        : m_running(running), m_setEnabled(std::move(setEnabled))
    {
        m_running = true;
        if (m_setEnabled)
            m_setEnabled(false);
    }
    ~CommandRunning()
    {
        if (m_setEnabled)
            m_setEnabled(true);
        m_running = false;
    }
    CommandRunning(const CommandRunning &) = delete;
    CommandRunning &operator=(const CommandRunning &) = delete;

private:
    bool &m_running;
    SetEnabled m_setEnabled;
};
