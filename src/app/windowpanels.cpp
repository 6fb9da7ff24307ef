#include "app/windowpanels.h"

#include "panels/sixcircuit.h"
#include "scenes/sixkeyview.h"

std::vector<StoredSettings *> WindowPanels::storedSettings() const
{
    std::vector<StoredSettings *> settings;
    SixKeyPanels.forEach([&settings](int, SixKeyPanelView &panel) { settings.push_back(&panel); });
    DimmerPanels.forEach([&settings](int, Tfm6Lights &panel) { settings.push_back(&panel); });
    return settings;
}
