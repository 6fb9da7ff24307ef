#pragma once

// The room's bus core is built into the kvt-roomsim program, not into kvtcore;
// the tests compile its I/O-free sources in directly.
#include "roomsim/busparser.cpp"
#include "roomsim/keymap.cpp"
#include "roomsim/keymemoryboard.cpp"
#include "roomsim/mediaregisterboard.cpp"
#include "roomsim/roombus.cpp"
#include "roomsim/roomconfig.cpp"
#include "roomsim/simboard.cpp"
#include "roomsim/sixcircuitdimmer.cpp"
#include "roomsim/faultinjector.cpp"
#include "roomsim/roomstatefile.cpp"
