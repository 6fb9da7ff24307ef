#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <functional>

class InMemoryTransport;
class VirtualPacer;

// Boards of a room that answer the key commands like real ones, for tests.
// Each board holds 8 data bytes per key index; it answers a scan, a key read
// (board frame or Modbus) with them and stores a key write. Replies are held
// back until the next event-processing point of the pacer, as a real bus
// delivers them while the command lets events run.
class ScriptedBoards
{
public:
    ScriptedBoards(InMemoryTransport &transport, VirtualPacer &pacer);
    ~ScriptedBoards();

    // A board in slot 1..19 whose keys start with distinct data.
    void addBoard(int slot);
    bool hasBoard(int slot) const { return m_keys.contains(slot); }
    QByteArray keyData(int slot, int keyIndex) const;
    // The data a board of this slot starts with for a key: one row mask in
    // all four pairs, as the light-board panel sends them.
    static QByteArray InitialData(int slot, int keyIndex);

    // When set and false for a request to (slot, key index), the board stays
    // silent (a lost answer). The scan asks for key index 0.
    std::function<bool(int slot, int keyIndex)> answerIf;
    // Board-frame key writes are acknowledged with 'H' 02 (id, command).
    bool ackBoardWrites = false;
    // Replies come this many virtual milliseconds after the request (0: at
    // the next event-processing point).
    int replyDelayMs = 0;

    // Replies waiting for the next event-processing point.
    int pendingReplies() const { return int(m_pending.size()); }
    // Key writes received, as (slot, key index) in arrival order.
    const QList<QPair<int, int>> &keyWrites() const { return m_keyWrites; }

private:
    void onWrite(const QByteArray &bytes);
    void answerModbus(const QByteArray &payload);
    void answerBoardFrame(const QByteArray &payload);
    int slotOfBusId(int busId) const;
    void reply(int slot, int keyIndex, const QByteArray &bytes);

    InMemoryTransport &m_transport;
    VirtualPacer &m_pacer;
    QMap<int, QList<QByteArray>> m_keys; // slot -> 62 data strings
    QList<QByteArray> m_pending;
    QList<QPair<int, int>> m_keyWrites;
    std::function<void(int)> m_previousHook;
};
