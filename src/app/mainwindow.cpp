#include "app/mainwindow.h"

TForm1::TForm1(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("燈光設定"));
    resize(877, 647);
}
