#pragma once

#include <functional>
#include <vector>

class SceneFileStorage;

// Settings a panel keeps in the scene file outside the key scenes: the six
// buttons of a six-key panel, the title of a six-circuit dimmer circuit.
//
// Reading is split from showing so that a file is taken all or nothing: every
// panel reads first (a value that does not convert raises KvtError and no
// panel has changed), and only when all reads succeeded are the returned steps
// run. A returned step must not fail.
class StoredSettings
{
public:
    virtual ~StoredSettings() = default;
    // Writes the panel's settings into the scene image.
    virtual void SaveSettings(SceneFileStorage &storage) = 0;
    // Reads the panel's settings without touching the panel; the step shows them.
    virtual std::function<void()> ReadSettings(const SceneFileStorage &storage) const = 0;
    // Reads and shows at once (a panel restoring itself at start-up).
    void RestoreSettings(const SceneFileStorage &storage) { ReadSettings(storage)(); }
};

// The panels whose settings the file commands save and restore, in file
// order (the six-key panels, then the circuit titles), as the window's panel
// tables hold them when asked; a panel not bound has nothing to save.
class PanelSettingsList
{
public:
    using Panels = std::function<std::vector<StoredSettings *>()>;
    explicit PanelSettingsList(Panels panels) : m_panels(std::move(panels)) {}

    // Every panel in file order.
    void SaveSettings(SceneFileStorage &storage) const;
    // Reads every panel (raises KvtError on the first value that does not
    // convert, nothing changed); the step shows them all in file order.
    std::function<void()> ReadSettings(const SceneFileStorage &storage) const;

private:
    Panels m_panels;
};
