#pragma once

#include "link/framesender.h"

#include <QString>
#include <functional>
#include <vector>

class KeySelection;
class LinkDropWatch;
class ProgressStatus;

// The loops that put each key on the panels in turn and act on what the
// panels then hold ("讀全部", "儲全部", a light-board panel's send of all keys).
struct KeyLoop
{
    BusContext bus;
    KeySelection &keys;
    ProgressStatus &progress;
};

// For each key index of order: the connection checked, the progress line
// "caption done/total", the key selected and shown by a key switch, pending
// events, step, pending events, then a pause of pauseMs (none when 0). The
// connection is checked once more at the end, so a loss during the last step
// is reported.
void RunOverKeys(const KeyLoop &loop, const LinkDropWatch &drop, const QString &caption,
                 const std::vector<int> &order, int pauseMs, const std::function<void(int keyIndex)> &step);

// RunOverKeys for a loop that sends what each key holds. The panels end up
// holding the last key sent, so afterwards, on every path, the key selected
// before is selected again and shown by a key switch: the list and the panels
// agree, and an edit or a send afterwards does not mix two keys.
void SendOverKeys(const KeyLoop &loop, const LinkDropWatch &drop, const QString &caption,
                  const std::vector<int> &order, int pauseMs, const std::function<void(int keyIndex)> &step);

// Key indexes first..first + count - 1.
std::vector<int> KeyRange(int first, int count);
