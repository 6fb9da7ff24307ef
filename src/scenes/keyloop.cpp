#include "scenes/keyloop.h"

#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "scenes/keyselection.h"
#include "scenes/progressstatus.h"

#include <numeric>

void RunOverKeys(const KeyLoop &loop, const LinkDropWatch &drop, const QString &caption,
                 const std::vector<int> &order, int pauseMs, const std::function<void(int keyIndex)> &step)
{
    Pacer &pacer = loop.bus.pacer;
    int done = 0;
    for (int keyIndex : order) {
        drop.check();
        loop.progress.showProgress(caption, ++done, int(order.size()));
        loop.keys.selectKeyIndex(keyIndex);
        loop.keys.ComboBox1Enter();
        pacer.processEvents();
        step(keyIndex);
        pacer.processEvents();
        if (pauseMs > 0)
            pacer.pause(pauseMs);
    }
    drop.check();
}

void SendOverKeys(const KeyLoop &loop, const LinkDropWatch &drop, const QString &caption,
                  const std::vector<int> &order, int pauseMs, const std::function<void(int keyIndex)> &step)
{
    KeySelection &keys = loop.keys;
    const int remembered = keys.selectedKeyIndex();
    const auto showRemembered = [&keys, remembered] {
        keys.selectKeyIndex(remembered);
        if (remembered >= 0)
            keys.ComboBox1Enter();
    };
    try {
        RunOverKeys(loop, drop, caption, order, pauseMs, step);
    } catch (...) {
        showRemembered();
        throw;
    }
    showRemembered();
}

std::vector<int> KeyRange(int first, int count)
{
    std::vector<int> keys(size_t(count > 0 ? count : 0));
    std::iota(keys.begin(), keys.end(), first);
    return keys;
}
