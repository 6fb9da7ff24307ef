#pragma once

#include <QByteArray>

// What the scene store sees of the panels. Each panel kind implements its view;
// the store moves a key's data through these and knows no widgets.

// The board data of one slot 1..18 (a light-board panel).
class BoardDataView
{
public:
    virtual ~BoardDataView() = default;
    // The slot's board checkbox: a key's data are stored and shown only while set.
    virtual bool isPresent() const = 0;
    virtual QByteArray EncodeBoardData() const = 0;
    virtual void DecodeBoardData(const QByteArray &data) = 0;
};

// The data of one six-circuit dimmer circuit 1..6.
class CircuitDataView
{
public:
    virtual ~CircuitDataView() = default;
    virtual QByteArray EncodeCircuitData() const = 0;
    // Also called with empty data; the panel decides what that shows.
    virtual void DecodeCircuitData(const QByteArray &data) = 0;
};

// The main dimmer controls: an enable box per group 1..2 and four level bars
// per group. Setting them runs their normal change reactions.
class MainDimmerView
{
public:
    virtual ~MainDimmerView() = default;
    virtual bool groupEnabled(int group) const = 0;
    virtual void setGroupEnabled(int group, bool enabled) = 0;
    virtual int level(int group, int column) const = 0;
    virtual void setLevel(int group, int column, int level) = 0;
};

// The six-circuit dimmer page as the key commands and the reply dispatcher
// reach it: its enable box "開啟", its page-wide "全傳" and "全讀", the
// circuit panels (for a circuit-data reply to AwaitedCircuit of BusState) and
// the scan's discovery of the board. The main dimmer's 8 board-data bytes are
// built and applied by scenes/maindimmerdata.h over a MainDimmerView.
class SixCircuitBulk
{
public:
    virtual ~SixCircuitBulk() = default;
    // "開啟": the six-circuit board is in use.
    virtual bool isEnabled() const = 0;
    // "全傳" and "全讀": all six circuits of the selected key, only while enabled.
    virtual void btn6LightsSendAllClick() = 0;
    virtual void btn6LightsGetAllClick() = 0;
    // The panel of circuit 1..6; nullptr outside.
    virtual CircuitDataView *circuitView(int circuit) = 0;
    // A six-circuit board answered the scan: its id becomes the machine number
    // "機號" and "開啟" is checked.
    virtual void boardFound(int machineNumber) = 0;
};

// A six-key panel 1..10 as the reply dispatcher feeds it: the key settings
// (4 data bytes) and the touch sensitivity (6 data bytes) read from its board.
class SixKeyReplyView
{
public:
    virtual ~SixKeyReplyView() = default;
    virtual void ApplyKeyReply(const QByteArray &data) = 0;
    virtual void ApplySensitivityReply(const QByteArray &data) = 0;
};
