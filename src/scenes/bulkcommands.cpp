#include "scenes/bulkcommands.h"

#include "link/framesender.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "scenes/busstate.h"
#include "scenes/keycommands.h"
#include "scenes/keyloop.h"
#include "scenes/keyrequests.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"
#include "scenes/progressstatus.h"
#include "scenes/sixkeycommands.h"
#include "scenes/transfersummary.h"

#include <algorithm>

namespace {

const QString kReadAllCaption = QStringLiteral("讀全部");
const QString kSendAllCaption = QStringLiteral("儲全部");

} // namespace

BulkCommands::BulkCommands(const CommandContext &context, KeyCommands &keyCommands,
                           SixKeyCommands &sixKeyCommands)
    : m_context(context), m_keyCommands(keyCommands), m_sixKeyCommands(sixKeyCommands)
{
}

std::vector<int> BulkCommands::SendAllOrder(bool keyNameOrder)
{
    std::vector<int> order = KeyRange(0, kSendAllKeys);
    if (!keyNameOrder)
        std::stable_sort(order.begin(), order.end(),
                         [](int a, int b) { return KeyMemorySlot(a) < KeyMemorySlot(b); });
    return order;
}

void BulkCommands::miReadAllClick()
{
    if (m_readingAll)
        return;
    KeySelection &keys = m_context.keys;
    CommandHost &host = m_context.host;

    const CommandRunning running(m_readingAll, [&host](bool enabled) {
        host.setCommandEnabled(BusCommand::ReadAll, enabled);
    });
    const auto restore = OnScopeExit([this, &keys] {
        keys.selectKeyIndex(-1);
        m_context.progress.clearProgress();
    });

    const LinkDropWatch drop(m_context.bus.link, kReadAllCaption);
    if (!m_keyCommands.recentScan())
        m_keyCommands.miScanClick();
    m_sixKeyCommands.readSixKeys(kReadAllCaption);
    // In awaited mode every answer has come or timed out already.
    TransferSummary summary;
    RunOverKeys(keyLoop(), drop, kReadAllCaption, KeyRange(0, kKeyCount), passPauseMs(),
                [this, &summary](int keyIndex) {
                    m_keyCommands.readKey(kReadAllCaption, false).addTo(summary, keyIndex + 1);
                });
    m_context.progress.showSummary(summary.text(kReadAllCaption));
}

void BulkCommands::miSendAllClick()
{
    if (m_sendingAll)
        return;
    KeySelection &keys = m_context.keys;
    CommandHost &host = m_context.host;
    const int remembered = keys.selectedKeyIndex();

    const CommandRunning running(m_sendingAll, [&host](bool enabled) {
        host.setCommandEnabled(BusCommand::SendAll, enabled);
    });
    const auto restore = OnScopeExit([this, &keys, remembered] {
        keys.selectKeyIndex(remembered);
        m_context.progress.clearProgress();
    });

    const LinkDropWatch drop(m_context.bus.link, kSendAllCaption);
    TransferSummary summary;
    SendOverKeys(keyLoop(), drop, kSendAllCaption, SendAllOrder(host.transAllOrder()), passPauseMs(),
                 [this, &summary](int keyIndex) {
                     m_keyCommands.sendKey(kSendAllCaption, false).addTo(summary, keyIndex + 1);
                 });
    m_context.progress.showSummary(summary.text(kSendAllCaption));
}

KeyLoop BulkCommands::keyLoop() const
{
    return {m_context.bus, m_context.keys, m_context.progress};
}

int BulkCommands::passPauseMs() const
{
    return m_context.state.awaitReplies ? 0 : kPassPauseMs;
}

void BulkCommands::N6Click()
{
    const int keyIndex = m_context.keys.selectedKeyIndex();
    if (keyIndex < 0)
        return;
    CommandHost &host = m_context.host;
    const int stepIndex = host.stepIndex();
    SendBoardFrame(m_context.bus, KeyPressRequest(keyIndex, stepIndex + 1));
    host.setStepIndex(stepIndex >= kLastStepIndex ? 0 : stepIndex + 1);
}
