#pragma once

#include <QString>
#include <functional>

// Where a handler's error goes: a message box in the program, a list in tests.
class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const QString &text) = 0;
};

// Runs one handler: an error ends it and is reported; nothing escapes into the
// event loop. Returns false when the handler ended with an error.
bool RunGuarded(ErrorReporter &reporter, const std::function<void()> &handler);
