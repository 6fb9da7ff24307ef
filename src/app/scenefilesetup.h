#pragma once

#include "scenes/formsection.h"
#include "scenes/scenefilecommands.h"

#include <functional>
#include <memory>
#include <vector>

class DeviceLink;
class ErrorReporter;
class QDialog;
class QWidget;
struct MainPages;

// The main window's stored properties, in the order they are saved and
// restored: "ApdWinsockPort1.ComNumber", "cb6LightsEnabled.Checked",
// "se6LightsMno.Value".
std::vector<StoredProperty> MainFormProperties(DeviceLink &link, ErrorReporter &errors, const MainPages &pages);

// The file commands of the main window, with the real file dialogs over
// dialogParent run by showModal (QDialog::exec when empty).
std::unique_ptr<SceneFileCommands>
CreateSceneFileCommands(SceneFileContext context, std::vector<StoredProperty> properties, QWidget *dialogParent,
                        const std::function<void(QDialog &)> &showModal = {});
