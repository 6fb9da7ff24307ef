#pragma once

#include "scenes/formsection.h"

#include <vector>

class QWidget;

// A window's show state, size and position as stored properties of its form
// section, in the order they are written: ShowCmd (1 normal, 2 minimized,
// 3 maximized), Flags, PixelsPerInch, MinMaxPos and NormPos (the normal bounds
// as "left,top,right,bottom"). Restoring takes the show state (a minimized
// window comes back normal) and valid normal bounds; the other three are kept
// as written and only checked when read.
std::vector<StoredProperty> WindowPlacementProperties(QWidget &window);
