#pragma once

#include "app/appenvironment.h"
#include "app/windowpanels.h"
#include "link/framesender.h"
#include "panels/panelcontext.h"
#include "protocol/boardtable.h"
#include "scenes/busstate.h"
#include "scenes/scenestore.h"
#include "scenes/storedsettings.h"

#include <QMainWindow>
#include <memory>

class BoardTest;
class BusCommands;
class ComboKeyList;
class DeviceLink;
class KeyCommands;
class KeySwitch;
class MainDimmer;
class MainMenu;
class MediaBoard;
class PickerPages;
class QAction;
class RecordCommands;
class SceneFileCommands;
class SceneFileStorage;
class SixCircuitPage;
class StatusProgress;
class Tfm6Key;
class TfmLightBoard;
class TfrmCommSetup;
class TrafficLog;
struct MainPages;

// The main window "燈光設定". It owns the link, the traffic log, the scene
// file storage, the scene store and every panel for the whole run, wires them
// together and hands the commands what they need; it holds no protocol logic.
//
// Public slots are the handlers. They may raise KvtError; the menus, controls
// and timers reach them through the error guard, so an error ends the handler
// and is reported, and code that calls them directly sees the error.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(const AppEnvironment &environment, QWidget *parent = nullptr);
    ~TForm1() override;

    // The window's parts, for the automation channel and for tests. The
    // commands, the reply dispatcher and the file commands are handed what
    // they need when the window builds them; none of them reaches back here.
    // The panel tables, filled once at start-up; a test may bind a stand-in.
    WindowPanels &panels() { return m_panels; }
    const WindowPanels &panels() const { return m_panels; }
    DeviceLink &link() { return *m_link; }
    TrafficLog &trafficLog() { return *m_log; }
    SceneFileStorage &storage() { return *m_storage; }
    SceneStore &sceneStore() { return m_sceneStore; }
    KeySwitch &keySwitch() { return *m_keySwitch; }
    BusState &busState() { return m_busState; }
    const PanelContext &panelContext() const { return *m_panelContext; }
    MainMenu &menu() { return *m_menu; }
    MainPages &pages() { return *m_pages; }
    StatusProgress &progress() { return *m_progress; }
    // Page "6回調光" and the main dimmer controls of page "系統燈光".
    SixCircuitPage &sixCircuitPage() { return *m_sixCircuitPage; }
    MainDimmer &mainDimmer() { return *m_mainDimmer; }
    // The pages of the tab "VOD板": the register page and the device pages.
    MediaBoard &mediaBoard() { return *m_mediaBoard; }
    // The key pickers of pages "zu" to "1Key" and the board test "機板測試".
    PickerPages &pickerPages() { return *m_pickers; }
    BoardTest &boardTest() { return *m_boardTest; }
    KeyCommands &keyCommands();
    // The file menu's commands.
    SceneFileCommands &sceneFile() { return *m_sceneFile; }
    // "儲存記錄…" of the bus record.
    RecordCommands &recordCommands() { return *m_recordCommands; }

    // Runs a handler through the error guard.
    void guarded(const std::function<void()> &handler);

public slots:
    void FormCreate();
    void FormClose();
    void ComboBox1Enter();
    void PageControl1Change(int index);
    void mi6LightsActionClick(QAction *item);
    void miReadOnlyClick();
    void N4Click();
    void N2Click();
    void N3Click();
    void N5Click();
    void miSaveRecordClick();
    // The board checkbox of the main dimmer shows or hides its controls.
    void cbBoard2Click();
    // "全傳" and "全讀" of page "6回調光".
    void btn6LightsSendAllClick();
    void btn6LightsGetAllClick();
    // Bus commands (menu bar) and the packet handlers of the link.
    void miScanClick();
    void btnReadClick();
    void miSendKeyClick();
    void miReadAllClick();
    void miSendAllClick();
    // "讀6Key" and "儲6Key".
    void miRead6KeyClick();
    void miSend6KeyClick();
    // The sensitivity buttons of fm6Key10 come here; they run the panel's own.
    void fm6Key10btnQTClick();
    void fm6Key10btnReadQTClick();
    void N6Click();
    void ApdDataPacket1StringPacket(const QByteArray &packet);
    void ApdDataPacket3StringPacket(const QByteArray &packet);
    void ApdDataPacket4StringPacket(const QByteArray &packet);
    // The key pickers: a click area or touch-key button (its tag is the key)
    // and the power grid's button (column, row), both from 0.
    void Image5Click(QObject *sender);
    void JvArrayButton1ArrayButtonClicked(int col, int row);
    // "開始測試", "結束測試" and one pass of the board test.
    void N7Click();
    void N9Click();
    void tmrTestBoardTimer();

protected:
    void closeEvent(QCloseEvent *event) override;
    // The first showing restores the form section from the scene file.
    void showEvent(QShowEvent *event) override;

private:
    void createPanels();
    void createBusCommands();
    void createPickersAndBoardTest();
    // Start-up: the key-input grid's captions and colours before the key list
    // is filled, the power grid's captions after.
    void fillPickerCaptions();
    void fillPowerCaptions();
    void connectHandlers();
    void connectFlag(QAction *item, const std::function<void()> &handler);

    AppEnvironment m_environment;
    std::unique_ptr<DeviceLink> m_link;
    TrafficLog *m_log = nullptr;
    BusContext m_bus;
    std::unique_ptr<SceneFileStorage> m_storage;
    SceneStore m_sceneStore;
    BusState m_busState;
    std::unique_ptr<MainMenu> m_menu;
    std::unique_ptr<MainPages> m_pages;
    std::unique_ptr<StatusProgress> m_progress;
    std::unique_ptr<ComboKeyList> m_keyList;
    std::unique_ptr<KeySwitch> m_keySwitch;
    std::unique_ptr<PanelContext> m_panelContext;
    TfrmCommSetup *m_commSetup = nullptr;
    SixCircuitPage *m_sixCircuitPage = nullptr;
    MainDimmer *m_mainDimmer = nullptr;
    Tfm6Key *m_sixKeyPanel10 = nullptr;
    MediaBoard *m_mediaBoard = nullptr;
    PickerPages *m_pickers = nullptr;
    BoardTest *m_boardTest = nullptr;
    std::unique_ptr<BusCommands> m_busCommands;
    WindowPanels m_panels;
    PanelSettingsList m_panelSettings{[this] { return m_panels.storedSettings(); }};
    std::unique_ptr<SceneFileCommands> m_sceneFile;
    std::unique_ptr<RecordCommands> m_recordCommands;
    bool m_shownOnce = false;
};
