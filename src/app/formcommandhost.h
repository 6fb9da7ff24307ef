#pragma once

#include "scenes/commandhost.h"

class MainMenu;
class QComboBox;
class SceneStore;
struct WindowPanels;

// The main window as the bus commands and the reply dispatcher see it: the
// menu's flags and items, the panel tables, the main dimmer view of the
// scene store and the step selector. A kind of panel whose table holds no
// panel yet has nothing to act on.
class FormCommandHost : public CommandHost
{
public:
    FormCommandHost(MainMenu &menu, WindowPanels &panels, SceneStore &store, QComboBox *stepList);

    bool relayModbus() const override;
    bool cpuModbus() const override;
    bool readOnly() const override;
    bool transAllOrder() const override;
    void setCommandEnabled(BusCommand command, bool enabled) override;
    bool isBoardPresent(int slot) const override;
    void setBoardPresent(int slot, bool present) override;
    BoardDataView *lightBoardPanel(int n) override;
    MainDimmerView *mainDimmer() override;
    SixCircuitBulk *sixCircuits() override;
    SixKeyPanelView *sixKeyPanel(int panel) override;
    int stepIndex() const override;
    void setStepIndex(int index) override;

private:
    MainMenu &m_menu;
    WindowPanels &m_panels;
    SceneStore &m_store;
    QComboBox *m_stepList;
};
