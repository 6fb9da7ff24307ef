#pragma once

#include "scenes/keyselection.h"

class SceneStore;

// The key list widget as the key switch needs it.
class KeyListControl
{
public:
    virtual ~KeyListControl() = default;
    virtual int currentKeyIndex() const = 0;
    // Sets the selection without running the key switch.
    virtual void setCurrentKeyIndex(int keyIndex) = 0;
    virtual void setKeyListEnabled(bool enabled) = 0;
};

// The key switch: moves the panels' data into the shown key and the selected
// key's data onto the panels.
class KeySwitch : public KeySelection
{
public:
    KeySwitch(SceneStore &store, KeyListControl &keyList);

    int selectedKeyIndex() const override;
    void selectKeyIndex(int keyIndex) override;
    // Disables the key list while it runs and enables it again on every path.
    // A switch started while another one runs (from events processed by a
    // panel's reaction) is refused with an error.
    void ComboBox1Enter() override;
    void keepStoredData(int slot) override;

    bool isSwitching() const { return m_switching; }

private:
    SceneStore &m_store;
    KeyListControl &m_keyList;
    bool m_switching = false;
};
