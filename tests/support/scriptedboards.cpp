#include "scriptedboards.h"

#include "inmemorytransport.h"
#include "virtualpacer.h"
#include "protocol/boardframe.h"
#include "protocol/boardtable.h"
#include "protocol/modbus.h"
#include "scenes/keyrequests.h"
#include "scenes/keytables.h"

namespace {

QByteArray Payload(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

// The key index of a board-frame command (bank + base) and key byte.
int KeyOfCode(quint8 command, quint8 keyByte, quint8 base)
{
    for (int k = 0; k < kKeyCount; ++k)
        if (quint8(KeyBankByte(k) + base) == command && KeyCodeByte(k) == keyByte)
            return k;
    return -1;
}

int KeyOfRegister(int slot, int reg)
{
    for (int k = 0; k < kRegisterKeyCount; ++k)
        if (KeyRegister(slot, k) == reg)
            return k;
    return -1;
}

} // namespace

ScriptedBoards::ScriptedBoards(InMemoryTransport &transport, VirtualPacer &pacer)
    : m_transport(transport), m_pacer(pacer)
{
    m_transport.onWrite = [this](const QByteArray &bytes) { onWrite(bytes); };
    m_previousHook = m_pacer.onProcessEvents;
    m_pacer.onProcessEvents = [this](int point) {
        if (m_previousHook)
            m_previousHook(point);
        const QList<QByteArray> replies = m_pending;
        m_pending.clear();
        for (const QByteArray &reply : replies)
            m_transport.inject(reply);
    };
}

ScriptedBoards::~ScriptedBoards()
{
    m_transport.onWrite = nullptr;
    m_pacer.onProcessEvents = m_previousHook;
}

QByteArray ScriptedBoards::InitialData(int slot, int keyIndex)
{
    const int mask = (slot * 37 + keyIndex * 11 + 1) & 0xFF;
    QByteArray data;
    for (int i = 1; i <= 4; ++i) {
        data.append(char(mask));
        data.append(char((slot * 16 + keyIndex * 5 + i * 3) & 0xFF));
    }
    return data;
}

void ScriptedBoards::addBoard(int slot)
{
    QList<QByteArray> keys;
    for (int k = 0; k < kKeyCount; ++k)
        keys.append(InitialData(slot, k));
    m_keys.insert(slot, keys);
}

QByteArray ScriptedBoards::keyData(int slot, int keyIndex) const
{
    return m_keys.value(slot).value(keyIndex);
}

int ScriptedBoards::slotOfBusId(int busId) const
{
    const int slot = FindSlotById(busId);
    return m_keys.contains(slot) ? slot : -1;
}

void ScriptedBoards::onWrite(const QByteArray &bytes)
{
    if (bytes.startsWith(':') && bytes.endsWith("\r\n")) {
        QByteArray payload = QByteArray::fromHex(bytes.mid(1, bytes.size() - 3));
        payload.chop(1); // LRC
        answerModbus(payload);
    } else if (bytes.size() >= 3 && bytes.at(0) == kBoardFrameStart) {
        answerBoardFrame(bytes.mid(2, quint8(bytes.at(1))));
    }
}

void ScriptedBoards::answerModbus(const QByteArray &payload)
{
    if (payload.size() < 6)
        return;
    const int busId = quint8(payload.at(0));
    const int slot = slotOfBusId(busId);
    if (slot < 0)
        return;
    const int function = quint8(payload.at(1));
    const int reg = quint8(payload.at(2)) * 256 + quint8(payload.at(3));
    // Register 0001 is key 0's on a light board; the scan reads it.
    const int key = reg == 0x0001 ? 0 : KeyOfRegister(slot, reg);
    if (key < 0)
        return;
    if (function == 0x03) {
        QByteArray answer = Payload({busId, 0x03, 0x08});
        answer.append(keyData(slot, key));
        reply(slot, key, ModbusWireText(answer));
    } else if (function == 0x10 && payload.size() >= 15) {
        m_keys[slot][key] = payload.mid(7, 8);
        m_keyWrites.append({slot, key});
        reply(slot, key, ModbusWireText(payload.left(6)));
    }
}

void ScriptedBoards::answerBoardFrame(const QByteArray &payload)
{
    if (payload.size() < 3)
        return;
    const int busId = quint8(payload.at(0));
    const int slot = slotOfBusId(busId);
    if (slot < 0)
        return;
    const quint8 command = quint8(payload.at(1));
    const quint8 keyByte = quint8(payload.at(2));
    // A scan (06, key number in the high nibble) reads like a key of bank 00.
    const int readKey = KeyOfCode(command, keyByte, 0x06);
    const int writeKey = KeyOfCode(command, keyByte, 0x04);
    if (readKey >= 0) {
        QByteArray body = Payload({0x0B, busId, command, keyByte});
        body.append(keyData(slot, readKey));
        QByteArray reply(1, kBoardFrameStart);
        reply.append(body);
        char check = 0;
        for (char c : body)
            check ^= c;
        reply.append(check);
        this->reply(slot, readKey, reply);
    } else if (writeKey >= 0 && payload.size() >= 11) {
        m_keys[slot][writeKey] = payload.mid(3, 8);
        m_keyWrites.append({slot, writeKey});
        if (ackBoardWrites) {
            const QByteArray body = Payload({0x02, busId, command});
            this->reply(slot, writeKey, QByteArray(1, kBoardFrameStart) + body + char(body[0] ^ body[1] ^ body[2]));
        }
    }
}

void ScriptedBoards::reply(int slot, int keyIndex, const QByteArray &bytes)
{
    if (answerIf && !answerIf(slot, keyIndex))
        return;
    if (replyDelayMs > 0) {
        InMemoryTransport *transport = &m_transport;
        m_pacer.schedule(m_pacer.elapsedMs() + replyDelayMs, [transport, bytes] { transport->inject(bytes); });
        return;
    }
    m_pending.append(bytes);
}
