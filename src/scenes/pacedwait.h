#pragma once

#include <functional>

class Pacer;

// Waits on the pacer in short steps and lets pending events run after each,
// so the window stays responsive and replies are handled meanwhile.
constexpr int kPacedWaitStepMs = 50;

void PauseProcessingEvents(Pacer &pacer, int ms);
// Until the condition holds (checked before each step) or ms have passed;
// returns whether it holds.
bool WaitUntil(Pacer &pacer, int ms, const std::function<bool()> &condition);
