#include "scenes/registerreadback.h"

#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/kvterror.h"
#include "protocol/modbusreply.h"
#include "scenes/mediarequests.h"

namespace {

constexpr quint8 kReadException = ModbusReply::kReadFunction | ModbusReply::kExceptionBit;
constexpr int kValueBytes = 4;

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
    m_bus.pacer.waitUntil([this] { return m_answered; }, kReadBackWaitMs);
    return m_result;
}

void RegisterReadBack::modbusReplyArrived(const QByteArray &packet)
{
    if (!m_waiting || m_answered)
        return;
    const ModbusReply reply = ModbusReply::parse(packet);
    // Text that is not hex cannot be told apart from another board's reply.
    if (reply.error() == ModbusReply::Error::NotFramed || reply.error() == ModbusReply::Error::NotHex)
        return;
    if (reply.address() != m_id
        || (reply.function() != ModbusReply::kReadFunction && reply.function() != kReadException))
        return;
    m_answered = true;
    if (!reply.isValid()) {
        m_result.kind = RegisterReadResult::Kind::Damaged;
        return;
    }
    if (reply.isException()) {
        m_result.kind = RegisterReadResult::Kind::Exception;
        m_result.exceptionCode = reply.exceptionCode();
        return;
    }
    const QByteArray data = reply.data();
    if (reply.byteCount() != kValueBytes || data.size() != kValueBytes) {
        m_result.kind = RegisterReadResult::Kind::WrongLength;
        m_result.byteCount = reply.byteCount();
        return;
    }
    m_result.kind = RegisterReadResult::Kind::Value;
    for (char b : data)
        m_result.value = (m_result.value << 8) | quint8(b);
}
