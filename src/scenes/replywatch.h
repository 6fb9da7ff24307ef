#pragma once

#include "protocol/boardtable.h"

#include <QtGlobal>
#include <array>
#include <map>
#include <utility>

class BoardReply;
class ModbusReply;

// What the commands learn from the replies the dispatcher handles: which
// slots gave board data, and whether the one reply a command waits for has
// come. A reply matches the awaited one by bus id, kind and, for a Modbus
// read, byte count; any other reply is applied as usual but ends no wait.
class ReplyWatch
{
public:
    enum class Kind {
        None,
        ModbusRead,       // function 03 with the byte count
        ModbusWriteEcho,  // function 10, the echo of the write
        BoardKeySettings, // 'H' 0B with a key-settings code
        BoardAck,         // 'H' 02, the acknowledgement of a board-frame write
    };

    struct Expected
    {
        Kind kind = Kind::None;
        quint8 busId = 0;
        int byteCount = 0; // ModbusRead only
    };

    // Starts watching for one reply; what came before does not count.
    void expect(const Expected &expected);
    void stopWaiting() { m_expected = Expected(); }
    bool isWaiting() const { return m_expected.kind != Kind::None; }
    // The awaited reply came, checked and of the expected kind.
    bool arrived() const { return m_arrived; }
    // A reply that failed its check came while waiting; it may have been
    // the awaited one, so the wait can end and the request go again.
    bool failedCheckArrived() const { return m_failedCheck; }
    bool settled() const { return m_arrived || m_failedCheck; }

    // Reported by the dispatcher.
    void checkedModbusReply(const ModbusReply &reply);
    void checkedBoardReply(const BoardReply &reply);
    void replyFailedCheck();
    // A reply carried board data of slot 1..19 (applied, or marked during a scan).
    void slotAnswered(int slot);
    // How many board-data replies slot 1..19 gave since the start.
    int answersOf(int slot) const;
    // How many writes slot 1..19 acknowledged (function 16 echo, 'H' 02).
    int acknowledgementsOf(int slot) const;
    // How many checked read replies (function 03) with byteCount data bytes
    // slot 1..19 gave: a six-key board's key setting (4), its sensitivities (6).
    int readRepliesOf(int slot, int byteCount) const;

private:
    void matched(Kind kind, quint8 busId, int byteCount);
    void acknowledged(quint8 busId);

    Expected m_expected;
    bool m_arrived = false;
    bool m_failedCheck = false;
    std::array<int, kSlotCount> m_answers{};
    std::array<int, kSlotCount> m_acknowledgements{};
    std::map<std::pair<int, int>, int> m_reads; // (slot, byte count) -> replies
};
