#pragma once

#include "scenes/commandhost.h"

#include <QList>
#include <QString>

// "讀6Key" and "儲6Key": the key settings of every six-key board whose board
// checkbox is set, read back from or written to the boards panel by panel.
// Replies are not awaited; they arrive while the commands let events run.
class SixKeyCommands
{
public:
    static constexpr int kStepPauseMs = 100;
    static constexpr int kPositions = 6;

    explicit SixKeyCommands(const CommandContext &context);

    // Disables "讀6Key" while it runs; it is enabled again on every path.
    void miRead6KeyClick();
    // "儲6Key" stays enabled; a send reached again from inside one is ignored.
    void miSend6KeyClick();

    // The read as a step of another command (read-all), which names the
    // command in the message when the connection is lost meanwhile.
    void readSixKeys(const QString &command);

    // "讀6Key" or "儲6Key" is running.
    bool isRunning() const { return m_reading || m_sending; }

private:
    // The panels whose board checkbox is set, in number order, as they are
    // when the command starts.
    // The panels whose board checkbox is set when the command starts (for
    // its progress); one unchecked meanwhile is skipped.
    QList<int> presentPanels() const;

    CommandContext m_context;
    bool m_reading = false;
    bool m_sending = false;
};
