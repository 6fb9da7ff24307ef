#pragma once

#include "scenes/commandhost.h"

#include <QList>
#include <QString>
#include <functional>

class LinkDropWatch;
class TransferSummary;

// "掃描", "讀按鍵" and "儲按鍵": the commands that talk to every board of the
// room for one key. Replies arrive while the commands let events run and the
// reply dispatcher applies them; only with "等待回覆" on does a request wait
// for its own answer (and ask again when none came).
//
// The handlers may raise KvtError (a link that cannot be opened); the scan
// enables "掃描" again and clears the scan flag on every path.
class KeyCommands
{
public:
    static constexpr int kRecentScanMs = 10 * 60 * 1000;
    static constexpr int kReadPauseMs = 100;
    static constexpr int kReadPauses = 3;
    static constexpr int kSendPauseMs = 300;
    static constexpr int kScanPauseModbusMs = 200;
    static constexpr int kScanPauseBoardFrameMs = 300;

    explicit KeyCommands(const CommandContext &context);

    void miScanClick();
    void btnReadClick();
    void miSendKeyClick();

    // The slots a read or send asked, and those of them that gave no answer:
    // for a read, no board data; for a send, no acknowledgement.
    struct Outcome
    {
        QList<int> asked;
        QList<int> silent;
        void addTo(TransferSummary &summary, int keyNumber) const;
    };
    static QString Summary(const QString &command, const Outcome &outcome, int keyNumber);

    // The read and the send of the selected key; the loops over all keys call
    // them without the progress line, which then shows the loop's progress.
    // command names the command that runs them, for the message when the
    // connection is lost meanwhile (which ends them with KvtError).
    // A slot that gives no answer to the read keeps the key's stored data.
    Outcome readKey(const QString &command, bool showProgress);
    Outcome sendKey(const QString &command, bool showProgress);

    // The last scan started less than 10 minutes ago.
    bool recentScan() const;
    bool isScanning() const { return m_scanning; }

private:
    bool modbusRoute(int slot) const;
    // Runs step for each slot whose board is present, the connection checked
    // before each and at the end. A step returns false to end the loop
    // early; the result is false then.
    bool forPresentSlots(const LinkDropWatch &drop, const std::function<bool(int slot)> &step);
    // The 8 data bytes of a slot as its panel stands; empty when the panel
    // does not exist.
    QByteArray slotData(int slot);

    CommandContext m_context;
    bool m_scanning = false;
};
