#pragma once

#include "scenes/sceneviews.h"
#include "scenes/sixkeycaptions.h"
#include "scenes/storedsettings.h"

// A six-key panel as everything outside it sees it: the reply dispatcher
// feeds it its board's replies, the file commands save and restore its
// buttons, and the page change refreshes its button captions.
class SixKeyPanelView : public SixKeyReplyView, public StoredSettings, public SixKeyButtonList
{
};
