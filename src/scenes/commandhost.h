#pragma once

#include "link/framesender.h"

class BoardDataView;
class KeySelection;
class MainDimmerView;
class ProgressStatus;
class SixCircuitBulk;
class SixKeyPanelView;
struct BusState;

// The menu commands that disable their own item while they run.
enum class BusCommand { Scan, ReadAll, SendAll, Read6Key };

// What the bus commands and the reply dispatcher reach of the main window,
// besides the bus, the key list and the progress line. Kinds of panel that
// do not exist yet are nullptr: there is then nothing of that kind to act on.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    // The option flags of the menu "旗標".
    virtual bool relayModbus() const = 0; // "Relay板用modbus"
    virtual bool cpuModbus() const = 0; // "CPU板使用modbus"
    virtual bool readOnly() const = 0; // "唯讀"
    virtual bool transAllOrder() const = 0; // "傳全部使用按鍵名排序"

    virtual void setCommandEnabled(BusCommand command, bool enabled) = 0;

    // The board checkbox of slot 1..19; setting it runs its click reaction.
    virtual bool isBoardPresent(int slot) const = 0;
    virtual void setBoardPresent(int slot, bool present) = 0;
    // The light-board panel n (1..18).
    virtual BoardDataView *lightBoardPanel(int n) = 0;
    virtual MainDimmerView *mainDimmer() = 0;
    virtual SixCircuitBulk *sixCircuits() = 0;
    // The six-key panel 1..10.
    virtual SixKeyPanelView *sixKeyPanel(int panel) = 0;

    // The step selector ComboBox2: index 0..3 for "1".."4", -1 for none.
    virtual int stepIndex() const = 0;
    virtual void setStepIndex(int index) = 0;
};

// Everything a bus command needs, handed in by the main window.
struct CommandContext
{
    BusContext bus;
    BusState &state;
    KeySelection &keys;
    CommandHost &host;
    ProgressStatus &progress;
};
