#pragma once

#include "scenes/sceneviews.h"
#include "scenes/sixkeycaptions.h"
#include "scenes/storedsettings.h"

// A six-key panel as everything outside it sees it: "讀6Key" and "儲6Key"
// drive it, the reply dispatcher feeds it its board's replies, the file
// commands save and restore its buttons, and the page change refreshes its
// button captions.
class SixKeyPanelView : public SixKeyReplyView, public StoredSettings, public SixKeyButtonList
{
public:
    // Sends the read request of the key setting at board position 1..6; the
    // reply that follows is shown on that position's button.
    virtual void RequestKeySetting(int position) = 0;
    // Sends the settings of all six buttons (those without a key are
    // skipped); returns how many frames went out.
    virtual int SendAllKeys() = 0;
    // Start-up: the panel's number (1..), then its settings restored.
    virtual void SetPanelNumber(int n) = 0;
    // "唯讀": the panel refuses edits and ignores replies while on.
    virtual void SetReadOnly(bool flag) = 0;
};
