#include "app/mainwindow.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // kvt.ini and the ports/ folder live beside the program.
    const QString programFolder = QCoreApplication::applicationDirPath();
    TForm1 window(programFolder);
    window.show();
    return app.exec();
}
