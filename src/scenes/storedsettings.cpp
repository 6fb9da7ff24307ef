#include "scenes/storedsettings.h"

#include "protocol/kvterror.h"

#include <vector>

void PanelSettingsList::bindSixKeyPanel(int panel, StoredSettings *settings)
{
    if (panel < 1 || panel > kSixKeyPanels)
        throw KvtError(QStringLiteral("Six-key panel %1 does not exist").arg(panel));
    m_sixKeyPanels[size_t(panel - 1)] = settings;
}

void PanelSettingsList::bindCircuitTitle(int circuit, StoredSettings *settings)
{
    if (circuit < 1 || circuit > kCircuits)
        throw KvtError(QStringLiteral("Circuit %1 does not exist").arg(circuit));
    m_circuitTitles[size_t(circuit - 1)] = settings;
}

void PanelSettingsList::SaveSettings(SceneFileStorage &storage) const
{
    for (StoredSettings *panel : m_sixKeyPanels)
        if (panel)
            panel->SaveSettings(storage);
    for (StoredSettings *title : m_circuitTitles)
        if (title)
            title->SaveSettings(storage);
}

std::function<void()> PanelSettingsList::ReadSettings(const SceneFileStorage &storage) const
{
    std::vector<std::function<void()>> steps;
    for (StoredSettings *panel : m_sixKeyPanels)
        if (panel)
            steps.push_back(panel->ReadSettings(storage));
    for (StoredSettings *title : m_circuitTitles)
        if (title)
            steps.push_back(title->ReadSettings(storage));
    return [steps = std::move(steps)] {
        for (const auto &step : steps)
            if (step)
                step();
    };
}
