#pragma once

#include "protocol/boardtable.h"

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;
class QWidget;
class ButtonTabStrip;
class TrafficLog;
class TrafficLogView;

// The controls of the main window's two columns: the key row, the page
// controls with all their pages, and the page-level controls. Panels are
// created by the window and placed into the hosts kept here. Arrays that
// count from 1 leave entry 0 empty.
struct MainPages
{
    MainPages(QWidget *central, TrafficLog &log);

    // Puts a light-board panel of slot 1..18 where that slot belongs.
    void placeLightBoard(int slot, QWidget *panel);
    // The six-key panel whose page ("6Key-n") this is, 0 for any other page.
    int sixKeyPanelOfPage(const QWidget *page) const;

    // key selection row
    QLabel *Label1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *edRoomNo = nullptr;
    QPushButton *btnReadx = nullptr;

    // left upper page control
    QTabWidget *PageControl1 = nullptr;
    ButtonTabStrip *PageControl1Tabs = nullptr;
    QWidget *tsZAVO = nullptr;
    QWidget *tsFY1 = nullptr;
    QWidget *tsPower = nullptr;
    QWidget *tsB1 = nullptr;
    QWidget *ts1Key = nullptr;
    std::array<QWidget *, kSixKeyPanelCount + 1> ts6Key{};
    // Where six-key panel k goes, left of the light-board panel of its board.
    std::array<QVBoxLayout *, kSixKeyPanelCount + 1> sixKeyHosts{};

    // left lower page control
    QTabWidget *PageControl3 = nullptr;
    QWidget *tsLog = nullptr;
    TrafficLogView *ListBox1 = nullptr;
    QWidget *tsModbus = nullptr;
    QTabWidget *pgModbus = nullptr;
    QWidget *tsModbusMain = nullptr;
    QWidget *tsModbusRemote = nullptr;
    QWidget *tsModbusTV = nullptr;
    QWidget *tsModbusVOD = nullptr;
    QWidget *tsModbusAMP = nullptr;
    QWidget *tsModbusKTV = nullptr;
    QWidget *tsModbusDVD = nullptr;
    QWidget *tsModbusSTB = nullptr;
    QWidget *tsModbusOthers = nullptr;

    // right page control
    QTabWidget *PageControl2 = nullptr;
    QWidget *ts8Lights = nullptr;
    QWidget *tsSystem = nullptr;
    QCheckBox *cbMainBoard3 = nullptr;
    QFrame *Panel9 = nullptr;
    QWidget *ts6Lights = nullptr;
    QCheckBox *cb6LightsEnabled = nullptr;
    QLabel *Label4 = nullptr;
    QSpinBox *se6LightsMno = nullptr;
    QPushButton *btn6LightsSendAll = nullptr;
    QPushButton *btn6LightsGetAll = nullptr;
    QPushButton *BitBtn1 = nullptr;
    // Where the six circuit panels go, one under another.
    QVBoxLayout *sixLightsHost = nullptr;

private:
    QWidget *buildLeftColumn(TrafficLog &log);
    QWidget *buildKeyRow();
    void buildPageControl1();
    void buildPageControl3(TrafficLog &log);
    void buildPageControl2();
    void buildSystemPage();
    void buildSixLightsPage();

    std::array<QVBoxLayout *, kLightBoardPanelCount> m_lightBoardHosts{};
};
