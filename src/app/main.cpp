#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "app/messageboxreporter.h"
#include "link/devicelink.h"
#include "link/inmemorytransport.h"
#include "link/pacer.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    RealPacer pacer;
    MessageBoxErrorReporter errors;
    AppEnvironment environment{
        // kvt.ini lives beside the program.
        QCoreApplication::applicationDirPath(),
        pacer,
        errors,
        // TODO: the serial and TCP transports replace this once the link builds them.
        [] { return std::make_unique<DeviceLink>(std::make_unique<InMemoryTransport>()); },
    };
    TForm1 window(environment);
    if (QScreen *screen = app.primaryScreen())
        window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                               screen->availableGeometry()));
    window.show();
    return app.exec();
}
