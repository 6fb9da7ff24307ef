#include "scenes/keycommands.h"

#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "link/trafficlog.h"
#include "protocol/boardtable.h"
#include "scenes/busstate.h"
#include "scenes/keyrequests.h"
#include "scenes/keyselection.h"
#include "scenes/maindimmerdata.h"
#include "scenes/progressstatus.h"
#include "scenes/sceneviews.h"
#include "scenes/transfersummary.h"

#include <array>

namespace {

const QString kScanCaption = QStringLiteral("掃描");
const QString kReadCaption = QStringLiteral("讀按鍵");
const QString kSendCaption = QStringLiteral("儲按鍵");

} // namespace

KeyCommands::KeyCommands(const CommandContext &context) : m_context(context) {}

void KeyCommands::Outcome::addTo(TransferSummary &summary, int keyNumber) const
{
    for (int slot : asked)
        summary.add(slot, keyNumber, !silent.contains(slot));
}

QString KeyCommands::Summary(const QString &command, const Outcome &outcome, int keyNumber)
{
    TransferSummary summary;
    outcome.addTo(summary, keyNumber);
    return summary.text(command);
}

bool KeyCommands::modbusRoute(int slot) const
{
    return IsModbusRoute(slot, m_context.host.relayModbus(), m_context.host.cpuModbus());
}

bool KeyCommands::recentScan() const
{
    const BusState &state = m_context.state;
    if (!state.scanned)
        return false;
    const qint64 age = state.lastScanTime.msecsTo(m_context.bus.pacer.now());
    // A clock set back makes the age negative: that scan is not trusted.
    return age >= 0 && age < kRecentScanMs;
}

void KeyCommands::miScanClick()
{
    // "掃描" is disabled while a scan runs; a scan reached again from inside
    // one (through the loops) has nothing to add.
    if (m_scanning)
        return;
    CommandHost &host = m_context.host;
    BusState &state = m_context.state;
    Pacer &pacer = m_context.bus.pacer;
    const int d = host.relayModbus() ? kScanPauseModbusMs : kScanPauseBoardFrameMs;

    const CommandRunning running(m_scanning, [&host](bool enabled) {
        host.setCommandEnabled(BusCommand::Scan, enabled);
    });
    const auto restore = OnScopeExit([this, &state] {
        state.scanFlag = false;
        m_context.progress.clearProgress();
    });

    if (host.readOnly())
        m_context.keys.selectKeyIndex(-1);
    m_context.bus.log.clear();
    state.scanFlag = true;
    state.scanned = true;
    state.lastScanTime = pacer.now();
    const int selected = m_context.keys.selectedKeyIndex();
    const int keyNumber = selected >= 0 ? selected + 1 : 1;

    const LinkDropWatch drop(m_context.bus.link, kScanCaption);
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        drop.check();
        m_context.progress.showProgress(kScanCaption, slot, kSlotCount);
        host.setBoardPresent(slot, false);
        const BusRequest request = ScanRequest(slot, keyNumber, modbusRoute(slot));
        if (state.awaitReplies) {
            // A silent slot is asked again before it counts as absent.
            SendAwaited(m_context.bus, state.replies, request, ExpectedReply(slot, request),
                        FramePauseMs(request) + 2 * d, &drop, kAwaitedScanSends);
            continue;
        }
        SendRequest(m_context.bus, request);
        pacer.processEvents();
        pacer.pause(d);
        pacer.processEvents();
        pacer.pause(d);
        pacer.processEvents();
    }
    drop.check();
    QStringList found;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (host.isBoardPresent(slot))
            found.append(QStringLiteral("板%1").arg(slot));
    QString summary = QStringLiteral("%1：%2/%3 已回覆").arg(kScanCaption).arg(found.size()).arg(kSlotCount);
    if (!found.isEmpty())
        summary += QStringLiteral("：") + found.join(QStringLiteral(", "));
    m_context.progress.showSummary(summary);
}

void KeyCommands::btnReadClick()
{
    readKey(kReadCaption, true);
}

void KeyCommands::miSendKeyClick()
{
    sendKey(kSendCaption, true);
}

bool KeyCommands::forPresentSlots(const LinkDropWatch &drop, const std::function<bool(int slot)> &step)
{
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        if (!m_context.host.isBoardPresent(slot))
            continue;
        drop.check();
        if (!step(slot))
            return false;
    }
    drop.check();
    return true;
}

KeyCommands::Outcome KeyCommands::readKey(const QString &command, bool showProgress)
{
    KeySelection &keys = m_context.keys;
    Outcome outcome;
    if (keys.selectedKeyIndex() < 0)
        return outcome;
    Pacer &pacer = m_context.bus.pacer;
    BusState &state = m_context.state;
    const auto clear = OnScopeExit([this, showProgress] {
        if (showProgress)
            m_context.progress.clearProgress();
    });

    // Answers are counted per slot, so one that comes while a later slot is
    // asked still counts for its own.
    std::array<int, kSlotCount> answersBefore{};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        answersBefore[size_t(slot - 1)] = state.replies.answersOf(slot);
    // A slot that gave nothing keeps the key's stored data at the next key
    // switch, instead of storing what its panel still shows from another key.
    const auto keepSilent = [&] {
        for (int slot : outcome.asked) {
            if (state.replies.answersOf(slot) == answersBefore[size_t(slot - 1)]) {
                outcome.silent.append(slot);
                keys.keepStoredData(slot);
            }
        }
    };

    const LinkDropWatch drop(m_context.bus.link, command);
    const bool done = forPresentSlots(drop, [&](int slot) {
        if (showProgress)
            m_context.progress.showProgress(kReadCaption, slot, kSlotCount);
        pacer.processEvents();
        // The key is looked up for every slot: the user may choose another
        // one while events run. A selection cleared meanwhile ends the read.
        const int keyIndex = keys.selectedKeyIndex();
        if (keyIndex < 0)
            return false;
        const BusRequest request = KeyReadRequest(slot, keyIndex, modbusRoute(slot));
        outcome.asked.append(slot);
        if (state.awaitReplies) {
            SendAwaited(m_context.bus, state.replies, request, ExpectedReply(slot, request),
                        FramePauseMs(request) + kReadPauses * kReadPauseMs, &drop);
            return true;
        }
        SendRequest(m_context.bus, request);
        pacer.processEvents();
        pacer.processEvents();
        for (int i = 0; i < kReadPauses; ++i) {
            pacer.pause(kReadPauseMs);
            pacer.processEvents();
        }
        return true;
    });
    keepSilent();
    if (!done)
        return outcome;
    if (showProgress)
        m_context.progress.showSummary(Summary(kReadCaption, outcome, keys.selectedKeyIndex() + 1));
    // The circuits' own loop watches the connection while they run.
    if (SixCircuitBulk *circuits = m_context.host.sixCircuits())
        circuits->btn6LightsGetAllClick();
    m_context.host.setStepIndex(0);
    return outcome;
}

QByteArray KeyCommands::slotData(int slot)
{
    if (slot == kMainDimmerSlot) {
        MainDimmerView *dimmer = m_context.host.mainDimmer();
        return dimmer ? EncodeMainDimmerData(*dimmer) : QByteArray();
    }
    BoardDataView *panel = m_context.host.lightBoardPanel(slot);
    return panel ? panel->EncodeBoardData() : QByteArray();
}

KeyCommands::Outcome KeyCommands::sendKey(const QString &command, bool showProgress)
{
    KeySelection &keys = m_context.keys;
    Outcome outcome;
    if (keys.selectedKeyIndex() < 0)
        return outcome;
    BusState &state = m_context.state;
    Pacer &pacer = m_context.bus.pacer;
    const auto clear = OnScopeExit([this, showProgress] {
        if (showProgress)
            m_context.progress.clearProgress();
    });

    std::array<int, kSlotCount> acksBefore{};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        acksBefore[size_t(slot - 1)] = state.replies.acknowledgementsOf(slot);
    // A write counts as answered when its board acknowledged it.
    const auto findSilent = [&] {
        for (int slot : outcome.asked)
            if (state.replies.acknowledgementsOf(slot) == acksBefore[size_t(slot - 1)])
                outcome.silent.append(slot);
    };

    const LinkDropWatch drop(m_context.bus.link, command);
    const bool done = forPresentSlots(drop, [&](int slot) {
        const int keyIndex = keys.selectedKeyIndex();
        if (keyIndex < 0)
            return false;
        // A slot whose controls do not exist has nothing to send; zeros
        // would overwrite the board's settings.
        const QByteArray data = slotData(slot);
        if (data.isEmpty())
            return true;
        if (showProgress)
            m_context.progress.showProgress(kSendCaption, slot, kSlotCount);
        const BusRequest request = KeyWriteRequest(slot, keyIndex, data, modbusRoute(slot));
        outcome.asked.append(slot);
        if (state.awaitReplies) {
            SendAwaited(m_context.bus, state.replies, request, ExpectedReply(slot, request),
                        FramePauseMs(request) + kSendPauseMs, &drop);
            return true;
        }
        SendRequest(m_context.bus, request);
        pacer.processEvents();
        pacer.pause(kSendPauseMs);
        return true;
    });
    findSilent();
    if (!done)
        return outcome;
    if (showProgress)
        m_context.progress.showSummary(Summary(kSendCaption, outcome, keys.selectedKeyIndex() + 1));
    if (SixCircuitBulk *circuits = m_context.host.sixCircuits())
        circuits->btn6LightsSendAllClick();
    return outcome;
}
