#include "app/scenefilesetup.h"

#include "app/mainpages.h"
#include "app/qtfiledialogs.h"
#include "link/devicelink.h"
#include "link/errorreporter.h"

#include <QCheckBox>
#include <QSpinBox>

std::vector<StoredProperty> MainFormProperties(DeviceLink &link, ErrorReporter &errors, const MainPages &pages)
{
    QCheckBox *enabled = pages.cb6LightsEnabled;
    QSpinBox *machine = pages.se6LightsMno;
    return {
        {QStringLiteral("ApdWinsockPort1.ComNumber"), StoredProperty::Kind::Integer,
         [&link] { return link.comNumber(); },
         // An open link reopens on the new port; a port that cannot be opened
         // is reported and the rest of the file is still taken.
         [&link, &errors](int value) { RunGuarded(errors, [&] { link.setComNumber(value); }); }},
        {QStringLiteral("cb6LightsEnabled.Checked"), StoredProperty::Kind::Boolean,
         [enabled] { return int(enabled->isChecked()); },
         [enabled](int value) { enabled->setChecked(value != 0); }},
        {QStringLiteral("se6LightsMno.Value"), StoredProperty::Kind::Integer,
         [machine] { return machine->value(); },
         [machine](int value) { machine->setValue(value); }},
    };
}

std::unique_ptr<SceneFileCommands>
CreateSceneFileCommands(SceneFileContext context, std::vector<StoredProperty> properties, QWidget *dialogParent,
                        const std::function<void(QDialog &)> &showModal)
{
    return std::make_unique<SceneFileCommands>(std::move(context), std::move(properties),
                                               std::make_unique<QtFileDialogs>(dialogParent, showModal));
}
