#include "scenes/keyswitch.h"

#include "link/scopeguard.h"
#include "protocol/kvterror.h"
#include "scenes/scenestore.h"

KeySwitch::KeySwitch(SceneStore &store, KeyListControl &keyList)
    : m_store(store), m_keyList(keyList)
{
}

int KeySwitch::selectedKeyIndex() const
{
    return m_keyList.currentKeyIndex();
}

void KeySwitch::selectKeyIndex(int keyIndex)
{
    m_keyList.setCurrentKeyIndex(keyIndex);
}

void KeySwitch::ComboBox1Enter()
{
    if (m_switching)
        throw KvtError(QStringLiteral("A key switch is already running; select the key again when it has finished"));
    const CommandRunning running(m_switching, [this](bool enabled) { m_keyList.setKeyListEnabled(enabled); });

    const int shown = m_store.shownKeyIndex();
    if (shown >= 0)
        m_store.StoreKeyData(shown + 1);
    const int selected = m_keyList.currentKeyIndex();
    m_store.ShowKeyData(selected + 1);
    // Only reached when showing succeeded; a failure keeps the old index.
    m_store.setShownKeyIndex(selected);
}

void KeySwitch::keepStoredData(int slot)
{
    m_store.keepStoredData(slot);
}
