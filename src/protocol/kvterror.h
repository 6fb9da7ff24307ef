#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the program. Every handler guard catches it (and any
// other std::exception) and shows its text; nothing escapes into the event loop.
class KvtError : public std::runtime_error
{
public:
    explicit KvtError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};
