#include "scenes/bulkcommands.h"

#include "link/framesender.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "scenes/keycommands.h"
#include "scenes/keyrequests.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"
#include "scenes/progressstatus.h"

#include <algorithm>
#include <numeric>

namespace {

const QString kReadAllCaption = QStringLiteral("讀全部");
const QString kSendAllCaption = QStringLiteral("儲全部");

} // namespace

BulkCommands::BulkCommands(const CommandContext &context, KeyCommands &keyCommands)
    : m_context(context), m_keyCommands(keyCommands)
{
}

std::vector<int> BulkCommands::SendAllOrder(bool keyNameOrder)
{
    std::vector<int> order(kSendAllKeys);
    std::iota(order.begin(), order.end(), 0);
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
    Pacer &pacer = m_context.bus.pacer;

    m_readingAll = true;
    host.setCommandEnabled(BusCommand::ReadAll, false);
    const auto restore = OnScopeExit([this, &keys, &host] {
        keys.selectKeyIndex(-1);
        host.setCommandEnabled(BusCommand::ReadAll, true);
        m_readingAll = false;
        m_context.progress.clearProgress();
    });

    const LinkDropWatch drop(m_context.bus.link, kReadAllCaption);
    if (!m_keyCommands.recentScan())
        m_keyCommands.miScanClick();
    host.readSixKeys();
    for (int keyIndex = 0; keyIndex < kKeyCount; ++keyIndex) {
        drop.check();
        m_context.progress.showProgress(kReadAllCaption, keyIndex + 1, kKeyCount);
        keys.selectKeyIndex(keyIndex);
        keys.ComboBox1Enter();
        pacer.processEvents();
        m_keyCommands.readKey(kReadAllCaption, false);
        pacer.processEvents();
        pacer.pause(kPassPauseMs);
    }
    drop.check();
}

void BulkCommands::miSendAllClick()
{
    if (m_sendingAll)
        return;
    KeySelection &keys = m_context.keys;
    CommandHost &host = m_context.host;
    Pacer &pacer = m_context.bus.pacer;
    const int remembered = keys.selectedKeyIndex();

    m_sendingAll = true;
    host.setCommandEnabled(BusCommand::SendAll, false);
    const auto restore = OnScopeExit([this, &keys, &host, remembered] {
        keys.selectKeyIndex(remembered);
        host.setCommandEnabled(BusCommand::SendAll, true);
        m_sendingAll = false;
        m_context.progress.clearProgress();
    });
    // The panels end up holding the last key sent. The key selected before
    // is shown again by a key switch, so that the list and the panels agree
    // and an edit or a "儲按鍵" afterwards does not mix two keys.
    const auto showRemembered = [&keys, remembered] {
        keys.selectKeyIndex(remembered);
        if (remembered >= 0)
            keys.ComboBox1Enter();
    };

    const std::vector<int> order = SendAllOrder(host.transAllOrder());
    const LinkDropWatch drop(m_context.bus.link, kSendAllCaption);
    try {
        int done = 0;
        for (int keyIndex : order) {
            drop.check();
            m_context.progress.showProgress(kSendAllCaption, ++done, int(order.size()));
            keys.selectKeyIndex(keyIndex);
            keys.ComboBox1Enter();
            pacer.processEvents();
            m_keyCommands.sendKey(kSendAllCaption, false);
            pacer.processEvents();
            pacer.pause(kPassPauseMs);
        }
        drop.check();
    } catch (...) {
        showRemembered();
        throw;
    }
    showRemembered();
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
