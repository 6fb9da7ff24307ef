#pragma once

#include "scenes/replywatch.h"

#include <QDateTime>

// State shared by the bus commands, the reply dispatcher and the board test.
struct BusState
{
    // Set while a scan or a board-test pass runs: boards that answer are
    // marked present.
    bool scanFlag = false;
    // When the last scan started (valid once scanned is set).
    bool scanned = false;
    QDateTime lastScanTime;
    // The six-circuit panel 1..6 whose read reply is awaited, 0 for none.
    int AwaitedCircuit = 0;
    // "等待回覆": requests wait for their answer and are sent again when it
    // does not come. Off at start, never saved.
    bool awaitReplies = false;
    ReplyWatch replies;
};
