#include "scenes/registerreadback.h"

#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/kvterror.h"
#include "protocol/modbus.h"
#include "scenes/mediarequests.h"
#include "scenes/pacedwait.h"

namespace {

// Reply text: ':' id function, then for function 03 a byte count and the
// data, for function 83 the exception code; then the LRC and CR LF.
constexpr quint8 kReadFunction = 0x03;
constexpr quint8 kReadException = 0x83;
constexpr int kValueBytes = 4;

// The bytes of the hex text between ':' and CR LF; false when a character
// is not a hex digit or the digits are odd in number.
bool ReplyBytes(const QByteArray &packet, QByteArray *bytes)
{
    QByteArray text = packet.mid(1);
    while (text.endsWith('\r') || text.endsWith('\n'))
        text.chop(1);
    if (text.isEmpty() || text.size() % 2 != 0)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    *bytes = QByteArray::fromHex(text);
    return true;
}

} // namespace

RegisterReadBack::RegisterReadBack(const BusContext &bus) : m_bus(bus) {}

RegisterReadResult RegisterReadBack::read(quint8 id, quint16 address)
{
    if (m_waiting)
        throw KvtError(QStringLiteral("A register read-back is already waiting for its answer"));
    // Replies already on their way belong to earlier requests.
    m_bus.pacer.processEvents();
    m_waiting = true;
    m_answered = false;
    m_id = id;
    m_result = RegisterReadResult();
    const auto done = OnScopeExit([this] { m_waiting = false; });
    SendModbusFrame(m_bus, RegisterValueReadRequest(id, address));
    WaitUntil(m_bus.pacer, kReadBackWaitMs, [this] { return m_answered; });
    return m_result;
}

void RegisterReadBack::modbusReplyArrived(const QByteArray &packet)
{
    if (!m_waiting || m_answered)
        return;
    QByteArray bytes;
    // Text that is not hex cannot be told apart from another board's reply.
    if (!ReplyBytes(packet, &bytes))
        return;
    if (bytes.size() < 3 || quint8(bytes.at(0)) != m_id)
        return;
    const quint8 function = quint8(bytes.at(1));
    if (function != kReadFunction && function != kReadException)
        return;
    m_answered = true;
    const QByteArray body = bytes.left(bytes.size() - 1);
    if (ModbusLrc(body) != quint8(bytes.back())) {
        m_result.kind = RegisterReadResult::Kind::Damaged;
        return;
    }
    if (function == kReadException) {
        m_result.kind = RegisterReadResult::Kind::Exception;
        m_result.exceptionCode = quint8(body.at(2));
        return;
    }
    const int count = quint8(body.at(2));
    const QByteArray data = body.mid(3);
    if (count != kValueBytes || data.size() != kValueBytes) {
        m_result.kind = RegisterReadResult::Kind::WrongLength;
        m_result.byteCount = count;
        return;
    }
    m_result.kind = RegisterReadResult::Kind::Value;
    for (char b : data)
        m_result.value = (m_result.value << 8) | quint8(b);
}
