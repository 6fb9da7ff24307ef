#include "scenes/replydispatcher.h"

#include "link/trafficlog.h"
#include "protocol/boardreply.h"
#include "protocol/boardtable.h"
#include "protocol/kvterror.h"
#include "protocol/logformat.h"
#include "protocol/modbusreply.h"
#include "scenes/busstate.h"
#include "scenes/keyselection.h"
#include "scenes/maindimmerdata.h"
#include "scenes/sceneviews.h"
#include "scenes/sixkeyview.h"

namespace {

// The function and count texts are read as decimal numbers, so function 0x10
// reads as 10 and the exception 0x83 as 83.
constexpr int kReadFunction = 3;
constexpr int kWriteFunction = 10;
constexpr int kPairs = 4;

constexpr int kCpuBoard1Id = 241;
constexpr int kCpuBoard2Id = 242;
constexpr int kMainDimmerId = 243;
constexpr int kLightBoardSlot7 = 7;
constexpr int kLightBoardSlot8 = 8;
constexpr int kFirstSixKeyId = 11;
constexpr int kLastSixKeyId = 20;
constexpr int kLastLightId = 10;
constexpr int kSixCircuits = 6;

bool InRange(int value, int first, int last)
{
    return value >= first && value <= last;
}

bool IsDecimal(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

ReplyDispatcher::ReplyDispatcher(const CommandContext &context) : m_context(context) {}

int ReplyDispatcher::DecimalField(const QByteArray &text)
{
    if (!IsDecimal(text))
        throw KvtError(QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    return text.toInt();
}

int ReplyDispatcher::ModbusReplyId(const QByteArray &idText)
{
    // "F1" and "F2" read as 241 and 242, like "F3" as 243: read as decimal
    // text alone, the two CPU light boards of slots 7 and 8 would have id 0
    // and their Modbus replies would reach no panel.
    if (idText == "F1")
        return kCpuBoard1Id;
    if (idText == "F2")
        return kCpuBoard2Id;
    if (idText == "F3")
        return kMainDimmerId;
    return IsDecimal(idText) ? idText.toInt() : 0;
}

void ReplyDispatcher::markPresent(int slot)
{
    m_context.host.setBoardPresent(slot, true);
}

bool ReplyDispatcher::FailsCheck(const ModbusReply &reply)
{
    // Whatever else is wrong with it: a reply whose LRC disagrees is not the
    // board's. One too short to hold an LRC goes on as before.
    return reply.error() == ModbusReply::Error::NotHex || (reply.hasLrc() && !reply.lrcMatches());
}

ReplyDispatcher::ModbusFields ReplyDispatcher::ReadModbusFields(const ModbusReply &reply)
{
    ModbusFields fields;
    fields.id = ModbusReplyId(reply.idText());
    fields.function = DecimalField(reply.functionText());
    if (fields.function == kReadFunction) {
        fields.count = DecimalField(reply.countText());
        fields.data = reply.dataAsCounted(fields.count);
    } else if (fields.function == kWriteFunction) {
        fields.count = DecimalField(reply.registerCountText());
    }
    return fields;
}

QString ReplyDispatcher::ModbusLine(const QByteArray &packet, const ModbusFields &fields)
{
    return ModbusReplyLogLine(packet, fields.id, fields.function, fields.count, fields.data);
}

QString ReplyDispatcher::CheckFailedModbusLine(const QByteArray &packet, const ModbusReply &reply)
{
    // The usual line when its fields read; a reply whose fields are not
    // decimal shows as received.
    try {
        return CheckFailedLogLine(ModbusLine(packet, ReadModbusFields(reply)));
    } catch (const KvtError &) {
        return CheckFailedLogLine(QStringLiteral("-> ") + QString::fromLatin1(packet));
    }
}

void ReplyDispatcher::ApdDataPacket1StringPacket(const QByteArray &packet)
{
    TrafficLog &log = m_context.bus.log;
    const BoardReply reply = BoardReply::parse(packet);
    // A reply whose check byte is wrong may carry any id and any data.
    if (reply.error() == BoardReply::Error::BadXor) {
        log.LogLine(CheckFailedLogLine(BoardReplyLogLine(packet)), BusDirection::Received);
        m_context.state.replies.replyFailedCheck();
        return;
    }
    log.LogLine(BoardReplyLogLine(packet), BusDirection::Received);
    if (!reply.hasBusId())
        return;
    m_context.state.replies.checkedBoardReply(reply);
    const int id = reply.busId();
    const int slot = FindSlotById(id);
    if (slot < 0) {
        log.LogLine(UnknownBoardLogLine(id), BusDirection::Note);
        return;
    }
    log.LogLine(KnownBoardLogLine(id), BusDirection::Note);
    if (!reply.isKeySettings())
        return;
    log.LogLine(KeySettingsLogLine(id, slot, packet), BusDirection::Note);
    m_context.state.replies.slotAnswered(slot);
    if (m_context.state.scanFlag) {
        markPresent(slot);
        return;
    }
    applyBoardFrame(slot, reply.pairs());
}

void ReplyDispatcher::applyBoardFrame(int slot, const QByteArray &pairs)
{
    if (SlotInfo(slot).kind == BoardKind::MainDimmerBoard) {
        if (MainDimmerView *dimmer = m_context.host.mainDimmer())
            DecodeMainDimmerData(*dimmer, pairs);
        return;
    }
    BoardDataView *panel = m_context.host.lightBoardPanel(slot);
    if (!panel)
        return;
    // Each column's mask sets the row checkboxes in turn, so the last one
    // (column 4) decides them; the panel's data carry one mask for all.
    const char lastMask = pairs.at(2 * (kPairs - 1));
    QByteArray data;
    for (int i = 0; i < kPairs; ++i) {
        data.append(lastMask);
        data.append(pairs.at(2 * i + 1));
    }
    panel->DecodeBoardData(data);
}

void ReplyDispatcher::ApdDataPacket4StringPacket(const QByteArray &packet)
{
    m_context.bus.log.LogLine(OutputReplyLogLine(packet), BusDirection::Received);
}

void ReplyDispatcher::ApdDataPacket3StringPacket(const QByteArray &packet)
{
    const ModbusReply reply = ModbusReply::parse(packet);
    if (FailsCheck(reply)) {
        m_context.bus.log.LogLine(CheckFailedModbusLine(packet, reply), BusDirection::Received);
        m_context.state.replies.replyFailedCheck();
        // The register read-back names a damaged answer itself.
        if (m_modbusObserver)
            m_modbusObserver->modbusReplyArrived(packet);
        return;
    }
    const ModbusFields fields = ReadModbusFields(reply);
    const int id = fields.id;
    m_context.bus.log.LogLine(ModbusLine(packet, fields), BusDirection::Received);
    if (reply.isValid())
        m_context.state.replies.checkedModbusReply(reply);

    if (fields.function == kReadFunction)
        applyModbusData(id, fields.count, fields.data);

    // A six-circuit dimmer board answers the scan's read of register 0001
    // with exception 03 (illegal data value).
    if (reply.functionText() == "83" && InRange(id, 1, kLastLightId) && m_context.state.scanFlag
        && reply.countText() == "03") {
        if (SixCircuitBulk *circuits = m_context.host.sixCircuits())
            circuits->boardFound(id);
    }

    if (m_modbusObserver)
        m_modbusObserver->modbusReplyArrived(packet);
}

void ReplyDispatcher::applyBoardData(int panel, const QByteArray &data)
{
    m_context.state.replies.slotAnswered(panel);
    if (m_context.state.scanFlag) {
        markPresent(panel);
        return;
    }
    if (BoardDataView *view = m_context.host.lightBoardPanel(panel))
        view->DecodeBoardData(data);
}

void ReplyDispatcher::applyModbusData(int id, int count, const QByteArray &data)
{
    const auto awaitedCircuit = [this]() -> CircuitDataView * {
        const int circuit = m_context.state.AwaitedCircuit;
        SixCircuitBulk *circuits = m_context.host.sixCircuits();
        if (!circuits || !InRange(circuit, 1, kSixCircuits))
            return nullptr;
        return circuits->circuitView(circuit);
    };
    const auto sixKey = [this, id]() { return m_context.host.sixKeyPanel(id - (kFirstSixKeyId - 1)); };

    if (InRange(id, 1, kLastLightId)) {
        if (count == 4) {
            if (CircuitDataView *circuit = awaitedCircuit())
                circuit->DecodeCircuitData(data);
        } else if (count == 8) {
            applyBoardData(id, data);
        }
    } else if (InRange(id, kFirstSixKeyId, kLastSixKeyId)) {
        if (count == 4) {
            if (SixKeyReplyView *panel = sixKey())
                panel->ApplyKeyReply(data);
        } else if (count == 6) {
            if (SixKeyReplyView *panel = sixKey())
                panel->ApplySensitivityReply(data);
        } else if (count == 8) {
            applyBoardData(id - 2, data);
        }
    } else if (id == kCpuBoard1Id || id == kCpuBoard2Id) {
        if (count == 8)
            applyBoardData(id == kCpuBoard1Id ? kLightBoardSlot7 : kLightBoardSlot8, data);
    } else if (id == kMainDimmerId) {
        if (count == 4) {
            if (CircuitDataView *circuit = awaitedCircuit())
                circuit->DecodeCircuitData(data);
        } else if (count == 8) {
            m_context.state.replies.slotAnswered(kMainDimmerSlot);
            if (m_context.state.scanFlag) {
                markPresent(kMainDimmerSlot);
            } else if (m_context.keys.selectedKeyIndex() >= 0) {
                if (MainDimmerView *dimmer = m_context.host.mainDimmer())
                    DecodeMainDimmerData(*dimmer, data);
            }
        }
    }
}
