#include "scenes/sixkeycommands.h"

#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/boardtable.h"
#include "scenes/sixkeyview.h"

namespace {

const QString kReadCaption = QStringLiteral("讀6Key");
const QString kSendCaption = QStringLiteral("儲6Key");

} // namespace

SixKeyCommands::SixKeyCommands(const CommandContext &context) : m_context(context) {}

void SixKeyCommands::miRead6KeyClick()
{
    readSixKeys(kReadCaption);
}

void SixKeyCommands::readSixKeys(const QString &command)
{
    if (m_reading)
        return;
    CommandHost &host = m_context.host;
    const CommandRunning running(m_reading, [&host](bool enabled) {
        host.setCommandEnabled(BusCommand::Read6Key, enabled);
    });
    Pacer &pacer = m_context.bus.pacer;
    const LinkDropWatch drop(m_context.bus.link, command);
    for (int n = 1; n <= kSixKeyPanelCount; ++n) {
        if (!host.isBoardPresent(SixKeyPanelSlot(n)))
            continue;
        for (int position = 1; position <= kPositions; ++position) {
            drop.check();
            // Looked up each time: nothing holds on to a panel across events.
            SixKeyPanelView *panel = host.sixKeyPanel(n);
            if (!panel)
                break;
            panel->RequestKeySetting(position);
            pacer.processEvents();
            pacer.pause(kStepPauseMs);
        }
    }
    drop.check();
}

void SixKeyCommands::miSend6KeyClick()
{
    if (m_sending)
        return;
    CommandHost &host = m_context.host;
    const CommandRunning running(m_sending);
    Pacer &pacer = m_context.bus.pacer;
    const LinkDropWatch drop(m_context.bus.link, kSendCaption);
    for (int n = 1; n <= kSixKeyPanelCount; ++n) {
        if (!host.isBoardPresent(SixKeyPanelSlot(n)))
            continue;
        drop.check();
        if (SixKeyPanelView *panel = host.sixKeyPanel(n))
            panel->SendAllKeys();
        pacer.processEvents();
        pacer.pause(kStepPauseMs);
    }
    drop.check();
}
