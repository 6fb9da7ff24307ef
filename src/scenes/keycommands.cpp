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

namespace {

const QString kScanCaption = QStringLiteral("掃描");
const QString kReadCaption = QStringLiteral("讀按鍵");
const QString kSendCaption = QStringLiteral("儲按鍵");

} // namespace

KeyCommands::KeyCommands(const CommandContext &context) : m_context(context) {}

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
        SendRequest(m_context.bus, ScanRequest(slot, keyNumber, modbusRoute(slot)));
        pacer.processEvents();
        pacer.pause(d);
        pacer.processEvents();
        pacer.pause(d);
        pacer.processEvents();
    }
    drop.check();
}

void KeyCommands::btnReadClick()
{
    readKey(kReadCaption, true);
}

void KeyCommands::miSendKeyClick()
{
    sendKey(kSendCaption, true);
}

bool KeyCommands::forPresentSlots(const QString &command, const std::function<bool(int slot)> &step)
{
    const LinkDropWatch drop(m_context.bus.link, command);
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

void KeyCommands::readKey(const QString &command, bool showProgress)
{
    KeySelection &keys = m_context.keys;
    if (keys.selectedKeyIndex() < 0)
        return;
    Pacer &pacer = m_context.bus.pacer;
    const auto clear = OnScopeExit([this, showProgress] {
        if (showProgress)
            m_context.progress.clearProgress();
    });

    const bool done = forPresentSlots(command, [&](int slot) {
        if (showProgress)
            m_context.progress.showProgress(kReadCaption, slot, kSlotCount);
        pacer.processEvents();
        // The key is looked up for every slot: the user may choose another
        // one while events run. A selection cleared meanwhile ends the read.
        const int keyIndex = keys.selectedKeyIndex();
        if (keyIndex < 0)
            return false;
        SendRequest(m_context.bus, KeyReadRequest(slot, keyIndex, modbusRoute(slot)));
        pacer.processEvents();
        pacer.processEvents();
        for (int i = 0; i < kReadPauses; ++i) {
            pacer.pause(kReadPauseMs);
            pacer.processEvents();
        }
        return true;
    });
    if (!done)
        return;
    // The circuits' own loop watches the connection while they run.
    if (SixCircuitBulk *circuits = m_context.host.sixCircuits())
        circuits->btn6LightsGetAllClick();
    m_context.host.setStepIndex(0);
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

void KeyCommands::sendKey(const QString &command, bool showProgress)
{
    KeySelection &keys = m_context.keys;
    if (keys.selectedKeyIndex() < 0)
        return;
    Pacer &pacer = m_context.bus.pacer;
    const auto clear = OnScopeExit([this, showProgress] {
        if (showProgress)
            m_context.progress.clearProgress();
    });

    const bool done = forPresentSlots(command, [&](int slot) {
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
        SendRequest(m_context.bus, KeyWriteRequest(slot, keyIndex, data, modbusRoute(slot)));
        pacer.processEvents();
        pacer.pause(kSendPauseMs);
        return true;
    });
    if (!done)
        return;
    if (SixCircuitBulk *circuits = m_context.host.sixCircuits())
        circuits->btn6LightsSendAllClick();
}
