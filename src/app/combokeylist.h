#pragma once

#include "scenes/keyswitch.h"

#include <QComboBox>

// The key list ComboBox1 as the key switch sees it.
class ComboKeyList : public KeyListControl
{
public:
    explicit ComboKeyList(QComboBox *combo) : m_combo(combo) {}

    int currentKeyIndex() const override { return m_combo->currentIndex(); }
    // QComboBox emits activated only for the user's choice, so this does not
    // run the key switch.
    void setCurrentKeyIndex(int keyIndex) override { m_combo->setCurrentIndex(keyIndex); }
    void setKeyListEnabled(bool enabled) override { m_combo->setEnabled(enabled); }

private:
    QComboBox *m_combo;
};
