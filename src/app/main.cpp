#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "app/messageboxreporter.h"
#include "app/selectportdialog.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#ifdef KVT_AUTOMATION
#include "automation/automationserver.h"
#endif

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    RealPacer pacer;
    MessageBoxErrorReporter errors;
    DialogPortChooser portChooser;
    // kvt.ini and the ports/ folder live beside the program.
    const QString programFolder = QCoreApplication::applicationDirPath();
    AppEnvironment environment{
        programFolder,
        pacer,
        errors,
        [&] { return std::make_unique<DeviceLink>(programFolder, &portChooser, &errors); },
        {},
    };
    TForm1 window(environment);
    portChooser.setParent(&window);
    if (QScreen *screen = app.primaryScreen())
        window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                               screen->availableGeometry()));
    window.show();
#ifdef KVT_AUTOMATION
    // A test's remote control, only when KVT_AUTOMATION names a socket path.
    QString automationError;
    const auto automation = AutomationServer::fromEnvironment(window, errors, &automationError);
    if (!automationError.isEmpty()) {
        std::fprintf(stderr, "kvt: %s\n", qPrintable(automationError));
        return 2;
    }
#endif
    return app.exec();
}
