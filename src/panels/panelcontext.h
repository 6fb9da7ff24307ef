#pragma once

#include "link/framesender.h"

class ErrorReporter;
class KeySelection;
class ProgressStatus;

// The two option flags of the "旗標" menu that choose a slot's route.
class RouteOptions
{
public:
    virtual ~RouteOptions() = default;
    // "Relay板用modbus"
    virtual bool relayModbus() const = 0;
    // "CPU板使用modbus"
    virtual bool cpuModbus() const = 0;
};

// Everything a board panel needs from the window, passed in at construction.
struct PanelContext
{
    BusContext bus;
    ErrorReporter &errors;
    KeySelection &keys;
    const RouteOptions &route;
    ProgressStatus &progress;
};
