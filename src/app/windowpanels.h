#pragma once

#include "protocol/boardtable.h"
#include "scenes/paneltable.h"
#include "scenes/scenestore.h"

#include <vector>

class QCheckBox;
class QWidget;
class SixCircuitBulk;
class SixKeyPanelView;
class StoredSettings;
class Tfm6Lights;
class TfmLightBoard;

// The main window's panels, one table per kind, and its per-slot controls.
// Each table is filled once, when the window creates its panels; the parts
// that need panels are handed these tables (or a narrow view of them), never
// the window. A new kind of panel gets its table here.
struct WindowPanels
{
    // Light-board panel n belongs to slot n (the six-key boards' relay outputs
    // included).
    PanelTable<TfmLightBoard> LightBoardPanels{kLightBoardPanelCount, QStringLiteral("Light-board panel")};
    // Six-key panel n belongs to the n-th six-key board of the board table.
    PanelTable<SixKeyPanelView> SixKeyPanels{kSixKeyPanelCount, QStringLiteral("Six-key panel")};
    // The six-circuit dimmer panels fm6Lights1..fm6Lights6, circuit c at c.
    PanelTable<Tfm6Lights> DimmerPanels{kCircuitCount, QStringLiteral("Circuit")};
    // Page "6回調光" as the commands and the reply dispatcher reach it.
    SixCircuitBulk *SixCircuits = nullptr;

    // Per slot 1..19: the board checkbox and the controls it shows or hides.
    PanelTable<QCheckBox> BoardCheckBoxes{kSlotCount, QStringLiteral("Board slot")};
    PanelTable<QWidget> SlotPanelTable{kSlotCount, QStringLiteral("Board slot")};

    // What the scene file keeps of the panels besides the keys, in file
    // order: the six-key panels, then the circuit titles.
    std::vector<StoredSettings *> storedSettings() const;
};
