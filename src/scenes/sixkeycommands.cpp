#include "scenes/sixkeycommands.h"

#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/boardtable.h"
#include "scenes/busstate.h"
#include "scenes/progressstatus.h"
#include "scenes/replywatch.h"
#include "scenes/sixkeyrequests.h"
#include "scenes/sixkeyview.h"
#include "scenes/transfersummary.h"

#include <QMap>
#include <algorithm>
#include <functional>

namespace {

const QString kReadCaption = QStringLiteral("讀6Key");
const QString kSendCaption = QStringLiteral("儲6Key");

// What the six-key boards answered while a command ran, counted per board:
// the requests asked of it and its replies since the start (a late one still
// counts for its own board). A board that gave fewer replies than it was
// asked is named in the summary ("讀6Key：54/60 已回覆，未回覆：板9").
class Heard
{
public:
    using Count = std::function<int(int slot)>;
    Heard(const QList<int> &panels, Count count) : m_count(std::move(count))
    {
        for (int n : panels)
            m_before[n] = m_count(SixKeyPanelSlot(n));
    }
    void asked(int panel, int requests = 1) { m_asked[panel] += requests; }
    QString summary(const QString &command) const
    {
        TransferSummary summary;
        for (auto it = m_asked.cbegin(); it != m_asked.cend(); ++it) {
            const int slot = SixKeyPanelSlot(it.key());
            const int answered = std::min(m_count(slot) - m_before.value(it.key()), it.value());
            for (int i = 0; i < it.value(); ++i)
                summary.add(slot, 0, i < answered);
        }
        return summary.text(command);
    }

private:
    Count m_count;
    QMap<int, int> m_before; // panel -> replies before the command
    QMap<int, int> m_asked; // panel -> requests sent
};

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
    const ReplyWatch &replies = m_context.state.replies;
    Heard heard(panels, [&replies](int slot) { return replies.readRepliesOf(slot, kKeySettingBytes); });
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
            heard.asked(n);
            pacer.processEvents();
            pacer.pause(kStepPauseMs);
        }
    }
    drop.check();
    progress.showSummary(heard.summary(kReadCaption));
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
    const ReplyWatch &replies = m_context.state.replies;
    // A write counts as answered when its board echoed it.
    Heard heard(panels, [&replies](int slot) { return replies.acknowledgementsOf(slot); });
    int done = 0;
    for (int n : panels) {
        drop.check();
        progress.showProgress(kSendCaption, ++done, int(panels.size()));
        SixKeyPanelView *panel = host.sixKeyPanel(n);
        if (panel && host.isBoardPresent(SixKeyPanelSlot(n)))
            heard.asked(n, panel->SendAllKeys());
        pacer.processEvents();
        pacer.pause(kStepPauseMs);
    }
    drop.check();
    progress.showSummary(heard.summary(kSendCaption));
}

QList<int> SixKeyCommands::presentPanels() const
{
    QList<int> panels;
    for (int n = 1; n <= kSixKeyPanelCount; ++n)
        if (m_context.host.isBoardPresent(SixKeyPanelSlot(n)))
            panels.append(n);
    return panels;
}
