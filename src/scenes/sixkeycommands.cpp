#include "scenes/sixkeycommands.h"

#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/boardtable.h"
#include "scenes/progressstatus.h"
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
    ProgressStatus &progress = m_context.progress;
    const auto clear = OnScopeExit([&progress] { progress.clearProgress(); });
    Pacer &pacer = m_context.bus.pacer;
    const LinkDropWatch drop(m_context.bus.link, command);
    const QList<int> panels = presentPanels();
    const int total = int(panels.size()) * kPositions;
    int done = 0;
    for (int n : panels) {
        for (int position = 1; position <= kPositions; ++position) {
            drop.check();
            // Looked up each time: nothing holds on to a panel across events.
            SixKeyPanelView *panel = host.sixKeyPanel(n);
            if (!panel || !host.isBoardPresent(SixKeyPanelSlot(n)))
                break;
            progress.showProgress(kReadCaption, ++done, total);
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
    ProgressStatus &progress = m_context.progress;
    const auto clear = OnScopeExit([&progress] { progress.clearProgress(); });
    Pacer &pacer = m_context.bus.pacer;
    const LinkDropWatch drop(m_context.bus.link, kSendCaption);
    const QList<int> panels = presentPanels();
    int done = 0;
    for (int n : panels) {
        drop.check();
        progress.showProgress(kSendCaption, ++done, int(panels.size()));
        SixKeyPanelView *panel = host.sixKeyPanel(n);
        if (panel && host.isBoardPresent(SixKeyPanelSlot(n)))
            panel->SendAllKeys();
        pacer.processEvents();
        pacer.pause(kStepPauseMs);
    }
    drop.check();
}

QList<int> SixKeyCommands::presentPanels() const
{
    QList<int> panels;
    for (int n = 1; n <= kSixKeyPanelCount; ++n)
        if (m_context.host.isBoardPresent(SixKeyPanelSlot(n)))
            panels.append(n);
    return panels;
}
