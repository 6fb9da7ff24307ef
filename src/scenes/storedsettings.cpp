#include "scenes/storedsettings.h"

void PanelSettingsList::SaveSettings(SceneFileStorage &storage) const
{
    for (StoredSettings *panel : m_panels())
        panel->SaveSettings(storage);
}

std::function<void()> PanelSettingsList::ReadSettings(const SceneFileStorage &storage) const
{
    std::vector<std::function<void()>> steps;
    for (StoredSettings *panel : m_panels())
        steps.push_back(panel->ReadSettings(storage));
    return [steps = std::move(steps)] {
        for (const auto &step : steps)
            if (step)
                step();
    };
}
