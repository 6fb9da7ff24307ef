#include "scenes/pacedwait.h"

#include "link/pacer.h"

#include <algorithm>

void PauseProcessingEvents(Pacer &pacer, int ms)
{
    WaitUntil(pacer, ms, [] { return false; });
}

bool WaitUntil(Pacer &pacer, int ms, const std::function<bool()> &condition)
{
    int waited = 0;
    while (!condition()) {
        if (waited >= ms)
            return false;
        const int step = std::min(kPacedWaitStepMs, ms - waited);
        pacer.pause(step);
        pacer.processEvents();
        waited += step;
    }
    return true;
}
