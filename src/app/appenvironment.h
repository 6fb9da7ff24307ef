#pragma once

#include <QString>
#include <functional>
#include <memory>

class DeviceLink;
class QDialog;
class ErrorReporter;
class Pacer;

// Everything the main window takes from outside: the program runs it with the
// real pacer, message boxes and transports, tests with virtual ones.
struct AppEnvironment
{
    // Where "kvt.ini" lives.
    QString programFolder;
    Pacer &pacer;
    ErrorReporter &errors;
    // Builds the one device link, closed.
    std::function<std::unique_ptr<DeviceLink>()> makeDeviceLink;
    // Shows a dialog modally and returns when it closes; empty: QDialog::exec.
    // Tests replace it so no handler ever waits for a user.
    std::function<void(QDialog &)> showModal;
};
