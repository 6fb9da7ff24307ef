#pragma once

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
