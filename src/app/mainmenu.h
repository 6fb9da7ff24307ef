#pragma once

#include "panels/panelcontext.h"

class QAction;
class QMenu;
class QMenuBar;

// The menu bar MainMenu1 in display order. Every item carries its name as
// objectName; a submenu's QMenu and its menu action both carry the name.
// The option flags of "旗標" are check-mark items that are never saved.
class MainMenu : public RouteOptions
{
public:
    explicit MainMenu(QMenuBar *bar);

    bool relayModbus() const override;
    bool cpuModbus() const override;

    QMenu *N1 = nullptr; // " 檔案"
    QAction *N2 = nullptr; // "開啟"
    QAction *N3 = nullptr; // "存檔"
    QAction *N5 = nullptr; // "重新讀入"
    QAction *miSaveRecord = nullptr; // "儲存記錄…", also in the log's context menu
    QAction *miScan = nullptr;
    QAction *btnRead = nullptr;
    QAction *miReadAll = nullptr;
    QAction *miSendKey = nullptr;
    QAction *miSendAll = nullptr;
    QAction *miRead6Key = nullptr;
    QAction *miSend6Key = nullptr;
    QAction *N6 = nullptr; // "測試按鍵"
    QMenu *N8 = nullptr; // "旗標"
    QAction *mi6LightsAction = nullptr;
    QAction *miRelaymodbus = nullptr;
    QAction *miReadOnly = nullptr;
    QAction *miCPUmodbus = nullptr;
    QAction *TransAllOrder = nullptr;
    QAction *miAwaitReplies = nullptr; // "等待回覆"
    QAction *N4 = nullptr; // "通訊設定"
    QMenu *miTestBoard = nullptr; // "機板測試"
    QAction *N7 = nullptr; // "開始測試"
    QAction *N9 = nullptr; // "結束測試"
};
