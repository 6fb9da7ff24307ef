#include "app/scenefilesetup.h"

#include "app/mainpages.h"
#include "app/mainwindow.h"
#include "app/qtfiledialogs.h"
#include "link/devicelink.h"
#include "link/errorreporter.h"

#include <QCheckBox>
#include <QSpinBox>

std::vector<StoredProperty> MainFormProperties(TForm1 &form)
{
    DeviceLink &link = form.link();
    ErrorReporter &errors = form.errors();
    QCheckBox *enabled = form.pages().cb6LightsEnabled;
    QSpinBox *machine = form.pages().se6LightsMno;
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
CreateSceneFileCommands(TForm1 &form, const QString &programFolder,
                        const std::function<void(QDialog &)> &showModal)
{
    SceneFileContext context{programFolder,
                             form.storage(),
                             form.sceneStore(),
                             form.keySwitch(),
                             form.panelSettings(),
                             form.pacer(),
                             form.errors(),
                             [&form](const QString &caption) { form.setWindowTitle(caption); }};
    return std::make_unique<SceneFileCommands>(std::move(context), MainFormProperties(form),
                                               std::make_unique<QtFileDialogs>(&form, showModal));
}
