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
