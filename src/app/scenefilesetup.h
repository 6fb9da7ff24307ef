#pragma once

#include "scenes/formsection.h"
#include "scenes/scenefilecommands.h"

#include <functional>
#include <memory>
#include <vector>

class QDialog;
class TForm1;

// The main window's stored properties, in the order they are saved and
// restored: "ApdWinsockPort1.ComNumber", "cb6LightsEnabled.Checked",
// "se6LightsMno.Value".
std::vector<StoredProperty> MainFormProperties(TForm1 &form);

// The file commands of the main window, with the real file dialogs run by
// showModal (QDialog::exec when empty).
std::unique_ptr<SceneFileCommands>
CreateSceneFileCommands(TForm1 &form, const QString &programFolder,
                        const std::function<void(QDialog &)> &showModal = {});
