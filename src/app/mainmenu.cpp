#include "app/mainmenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction *AddItem(QWidget *owner, const char *name, const char *caption)
{
    auto *action = new QAction(QString::fromUtf8(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    owner->addAction(action);
    return action;
}

QAction *AddFlag(QMenu *menu, const char *name, const char *caption, bool checked)
{
    QAction *action = AddItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

QMenu *AddSubmenu(QMenuBar *bar, const char *name, const char *caption)
{
    auto *menu = new QMenu(QString::fromUtf8(caption), bar);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    bar->addMenu(menu);
    return menu;
}

} // namespace

MainMenu::MainMenu(QMenuBar *bar)
{
    bar->setObjectName(QStringLiteral("MainMenu1"));

    N1 = AddSubmenu(bar, "N1", " 檔案");
    N2 = AddItem(N1, "N2", "開啟");
    N3 = AddItem(N1, "N3", "存檔");
    N5 = AddItem(N1, "N5", "重新讀入");
    N1->addSeparator();
    miSaveRecord = AddItem(N1, "miSaveRecord", "儲存記錄…");

    miScan = AddItem(bar, "miScan", "掃描");
    btnRead = AddItem(bar, "btnRead", "讀按鍵");
    miReadAll = AddItem(bar, "miReadAll", "讀全部");
    miSendKey = AddItem(bar, "miSendKey", "儲按鍵");
    miSendAll = AddItem(bar, "miSendAll", "儲全部");
    miRead6Key = AddItem(bar, "miRead6Key", "讀6Key");
    miSend6Key = AddItem(bar, "miSend6Key", "儲6Key");
    N6 = AddItem(bar, "N6", "測試按鍵");

    N8 = AddSubmenu(bar, "N8", "旗標");
    mi6LightsAction = AddFlag(N8, "mi6LightsAction", "調光即時動作", false);
    miRelaymodbus = AddFlag(N8, "miRelaymodbus", "Relay板用modbus", true);
    miReadOnly = AddFlag(N8, "miReadOnly", "唯讀", false);
    miCPUmodbus = AddFlag(N8, "miCPUmodbus", "CPU板使用modbus", true);
    TransAllOrder = AddFlag(N8, "TransAllOrder", "傳全部使用按鍵名排序", false);
    miAwaitReplies = AddFlag(N8, "miAwaitReplies", "等待回覆", false);

    N4 = AddItem(bar, "N4", "通訊設定");

    miTestBoard = AddSubmenu(bar, "miTestBoard", "機板測試");
    N7 = AddItem(miTestBoard, "N7", "開始測試");
    N9 = AddItem(miTestBoard, "N9", "結束測試");
}

bool MainMenu::relayModbus() const
{
    return miRelaymodbus->isChecked();
}

bool MainMenu::cpuModbus() const
{
    return miCPUmodbus->isChecked();
}
