#pragma once

#include "app/appenvironment.h"
#include "link/framesender.h"
#include "panels/panelcontext.h"
#include "protocol/boardtable.h"
#include "scenes/busstate.h"
#include "scenes/scenestore.h"
#include "scenes/storedsettings.h"

#include <QMainWindow>
#include <array>
#include <memory>

class BusCommands;
class ComboKeyList;
class DeviceLink;
class FormCommandHost;
class KeyCommands;
class KeySwitch;
class MainDimmer;
class MainMenu;
class MediaBoard;
class QAction;
class QCheckBox;
class QSlider;
class SceneFileCommands;
class SceneFileStorage;
class SixCircuitPage;
class SixKeyButtonList;
class StatusProgress;
class Tfm6Lights;
class TfmLightBoard;
class TfrmCommSetup;
class TrafficLog;
struct MainPages;

constexpr int kLightBoardPanelCount = 18;

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

    // Per-slot tables, counting from 1 (entry 0 is empty).
    std::array<TfmLightBoard *, kLightBoardPanelCount + 1> LightBoardPanels{};
    std::array<QWidget *, kSlotCount + 1> SlotPanelTable{};
    std::array<QCheckBox *, kSlotCount + 1> BoardCheckBoxes{};
    // [row 1..4][group 1..2] at [row - 1][group - 1]; filled once the main
    // dimmer controls are built.
    std::array<std::array<QSlider *, kDimmerGroups>, kDimmerColumns> MainDimmerBars{};
    // The six-circuit panels fm6Lights1..fm6Lights6, circuit c at entry c.
    std::array<Tfm6Lights *, kCircuitCount + 1> DimmerPanels{};

    TfmLightBoard *lightBoardPanel(int n) const;
    QCheckBox *boardCheckBox(int slot) const;
    QWidget *slotPanel(int slot) const;

    // What commands and panels use.
    DeviceLink &link() { return *m_link; }
    TrafficLog &trafficLog() { return *m_log; }
    BusContext &bus() { return m_bus; }
    SceneFileStorage &storage() { return *m_storage; }
    SceneStore &sceneStore() { return m_sceneStore; }
    KeySwitch &keySwitch() { return *m_keySwitch; }
    BusState &busState() { return m_busState; }
    const PanelContext &panelContext() const { return *m_panelContext; }
    ErrorReporter &errors() { return m_environment.errors; }
    Pacer &pacer() { return m_environment.pacer; }
    MainMenu &menu() { return *m_menu; }
    MainPages &pages() { return *m_pages; }
    StatusProgress &progress() { return *m_progress; }
    // The connection setup dialog "通訊設定", created hidden at start-up.
    TfrmCommSetup &commSetup() { return *m_commSetup; }
    // Page "6回調光" and the main dimmer controls of page "系統燈光".
    SixCircuitPage &sixCircuitPage() { return *m_sixCircuitPage; }
    MainDimmer &mainDimmer() { return *m_mainDimmer; }
    // The pages of the tab "VOD板": the register page and the device pages.
    MediaBoard &mediaBoard() { return *m_mediaBoard; }
    // The bus commands and the reply dispatcher; later panels bind into
    // commandHost() so the commands and replies reach them.
    FormCommandHost &commandHost();
    KeyCommands &keyCommands();
    BusCommands &busCommands();
    // The file menu's commands; the six-key panels and circuit titles bind
    // into panelSettings() so the file commands save and restore them.
    SceneFileCommands &sceneFile() { return *m_sceneFile; }
    PanelSettingsList &panelSettings() { return m_panelSettings; }

    // Lets the page change refresh six-key panel 1..10's button captions.
    void bindSixKeyButtons(int panel, SixKeyButtonList *buttons);

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
    void N6Click();
    void ApdDataPacket1StringPacket(const QByteArray &packet);
    void ApdDataPacket3StringPacket(const QByteArray &packet);
    void ApdDataPacket4StringPacket(const QByteArray &packet);

protected:
    void closeEvent(QCloseEvent *event) override;
    // The first showing restores the form section from the scene file.
    void showEvent(QShowEvent *event) override;

private:
    void createPanels();
    void createBusCommands();
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
    std::array<SixKeyButtonList *, 11> m_sixKeyButtons{};
    TfrmCommSetup *m_commSetup = nullptr;
    SixCircuitPage *m_sixCircuitPage = nullptr;
    MainDimmer *m_mainDimmer = nullptr;
    MediaBoard *m_mediaBoard = nullptr;
    std::unique_ptr<BusCommands> m_busCommands;
    PanelSettingsList m_panelSettings;
    std::unique_ptr<SceneFileCommands> m_sceneFile;
    bool m_shownOnce = false;
};
