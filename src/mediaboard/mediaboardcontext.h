#pragma once

#include "link/framesender.h"

#include <QString>
#include <functional>

class ErrorReporter;

// What the media board pages need from the window.
struct MediaBoardContext
{
    BusContext bus;
    ErrorReporter &errors;
    // Shows a line in the window's status bar; required.
    std::function<void(const QString &)> showStatus;
};
