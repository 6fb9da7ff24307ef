#pragma once

#include <QMainWindow>

// The main window "燈光設定".
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(const QString &programFolder, QWidget *parent = nullptr);

private:
    QString m_programFolder;
};
