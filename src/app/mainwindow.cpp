#include "app/mainwindow.h"

#include "app/buscommands.h"
#include "app/combokeylist.h"
#include "app/commsetupdialog.h"
#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/qtfiledialogs.h"
#include "app/recordcommands.h"
#include "app/scenefilesetup.h"
#include "app/statusprogress.h"
#include "app/trafficlogview.h"
#include "link/devicelink.h"
#include "link/errorreporter.h"
#include "link/pacer.h"
#include "link/trafficlog.h"
#include "mediaboard/mediaboard.h"
#include "panels/boardtest.h"
#include "panels/lightboard.h"
#include "panels/maindimmer.h"
#include "panels/sixcircuitpage.h"
#include "panels/sixkey.h"
#include "protocol/kvterror.h"
#include "scenes/keyswitch.h"
#include "scenes/scenefilecommands.h"
#include "scenes/keytables.h"
#include "scenes/scenefilestorage.h"
#include "scenes/sixkeycaptions.h"
#include "scenes/sixkeyview.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kSettingsFileName = QStringLiteral("kvt.ini");
// How long a notice (why a command sent nothing) stays in the status bar.
constexpr int kStatusNoticeMs = 8000;

DeviceLink &CheckedLink(const std::unique_ptr<DeviceLink> &link)
{
    if (!link)
        throw KvtError(QStringLiteral("The device link could not be created"));
    return *link;
}

} // namespace

TForm1::TForm1(const AppEnvironment &environment, QWidget *parent)
    : QMainWindow(parent),
      m_environment(environment),
      m_link(environment.makeDeviceLink()),
      m_log(new TrafficLog(this)),
      m_bus{CheckedLink(m_link), *m_log, environment.pacer}
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("燈光設定"));
    resize(877, 647);
    // The bus record keeps the pacer's time of every line.
    Pacer &pacer = m_environment.pacer;
    m_log->record().setClock([&pacer] { return pacer.now().toMSecsSinceEpoch(); });

    // The settings storage on kvt.ini beside the program; a file that cannot
    // be read is reported and the window starts with an empty image.
    m_storage = std::make_unique<SceneFileStorage>(m_environment.programFolder, m_environment.errors);
    guarded([this] { m_storage->bind(kSettingsFileName); });

    m_menu = std::make_unique<MainMenu>(menuBar());
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(central);
    m_pages = std::make_unique<MainPages>(central, *m_log);
    m_progress = std::make_unique<StatusProgress>(statusBar(), &m_log->record());
    m_keyList = std::make_unique<ComboKeyList>(m_pages->ComboBox1);
    m_keySwitch = std::make_unique<KeySwitch>(m_sceneStore, *m_keyList);
    m_panelContext.reset(new PanelContext{m_bus, m_environment.errors, *m_keySwitch, *m_menu, *m_progress});
    m_sceneFile = CreateSceneFileCommands(
        SceneFileContext{m_environment.programFolder, *m_storage, m_sceneStore, *m_keySwitch, m_panelSettings,
                         m_environment.pacer, m_environment.errors,
                         [this](const QString &caption) { setWindowTitle(caption); }},
        MainFormProperties(*m_link, m_environment.errors, *m_pages), this, m_environment.showModal);
    m_recordCommands = std::make_unique<RecordCommands>(
        RecordCommands::Context{m_log->record(),
                                [this](bool enabled) { m_menu->miSaveRecord->setEnabled(enabled); },
                                [this](const QString &text) { statusBar()->showMessage(text, kStatusNoticeMs); }},
        std::make_unique<QtRecordFileDialog>(this, m_environment.showModal));

    createPanels();
    createBusCommands();
    createPickersAndBoardTest();
    connectHandlers();
    FormCreate();

    // Restores its choices from the image and applies them to the link, which
    // stays closed.
    m_commSetup = new TfrmCommSetup(*m_link, *m_storage, m_environment.errors, this);
}

TForm1::~TForm1()
{
    // The panels go first, while the link, the store and the contexts they
    // refer to still exist.
    delete m_commSetup;
    delete takeCentralWidget();
}

void TForm1::createPanels()
{
    for (int n = 1; n <= m_panels.LightBoardPanels.count(); ++n) {
        auto *panel = new TfmLightBoard(*m_panelContext);
        panel->setObjectName(QStringLiteral("fmLightBoard%1").arg(n));
        m_pages->placeLightBoard(n, panel);
        m_panels.LightBoardPanels.bind(n, panel);
    }
    m_mainDimmer = new MainDimmer(*m_panelContext, m_pages->Panel9, m_pages->cbMainBoard3,
                                  m_menu->mi6LightsAction, this);
    const SixCircuitContext circuits{*m_panelContext, m_busState, *m_storage, m_menu->mi6LightsAction,
                                     m_pages->se6LightsMno,
                                     [this](const QString &text) {
                                         // Timed, so it never hides a later command's progress for good.
                                         statusBar()->showMessage(text, kStatusNoticeMs);
                                     }};
    m_sixCircuitPage = new SixCircuitPage(circuits,
                                          {m_pages->cb6LightsEnabled, m_pages->se6LightsMno,
                                           m_pages->btn6LightsSendAll, m_pages->btn6LightsGetAll},
                                          this);
    m_sixCircuitPage->placeInto(m_pages->sixLightsHost);
    const SixKeyContext sixKeys{*m_panelContext, *m_storage, m_busState.replies, [this](const QString &text) {
                                    statusBar()->showMessage(text, kStatusNoticeMs);
                                }};
    for (int n = 1; n <= m_panels.SixKeyPanels.count(); ++n) {
        auto *panel = new Tfm6Key(sixKeys);
        panel->setObjectName(QStringLiteral("fm6Key%1").arg(n));
        m_pages->sixKeyHosts[size_t(n)]->addWidget(panel);
        m_panels.SixKeyPanels.bind(n, panel);
        if (n == kSixKeyPanelCount) {
            m_sixKeyPanel10 = panel;
            // Its sensitivity buttons go through the window's handlers.
            for (QPushButton *button : {panel->qtButton(), panel->readQtButton()})
                disconnect(button, &QPushButton::clicked, panel, nullptr);
            connect(panel->qtButton(), &QPushButton::clicked, this, [this] { guarded([this] { fm6Key10btnQTClick(); }); });
            connect(panel->readQtButton(), &QPushButton::clicked, this,
                    [this] { guarded([this] { fm6Key10btnReadQTClick(); }); });
        }
    }
    m_mediaBoard = new MediaBoard({m_bus, m_environment.errors, [this](const QString &text) {
                                       statusBar()->showMessage(text, kStatusNoticeMs);
                                   }},
                                  m_pages->pgModbus, this);
    for (int c = 1; c <= m_panels.DimmerPanels.count(); ++c)
        m_panels.DimmerPanels.bind(c, m_sixCircuitPage->panel(c));
    m_panels.SixCircuits = m_sixCircuitPage;

    m_panels.LightBoardPanels.forEach([this](int slot, TfmLightBoard &panel) {
        m_panels.SlotPanelTable.bind(slot, panel.ledArea());
        m_panels.BoardCheckBoxes.bind(slot, panel.boardCheckBox());
    });
    m_panels.SlotPanelTable.bind(kMainDimmerSlot, m_pages->Panel9);
    m_panels.BoardCheckBoxes.bind(kMainDimmerSlot, m_pages->cbMainBoard3);
}

void TForm1::connectHandlers()
{
    QComboBox *keyList = m_pages->ComboBox1;
    // Only the user's choice runs the key switch; selections made by code do not.
    connect(keyList, &QComboBox::activated, this, [this] { guarded([this] { ComboBox1Enter(); }); });
    connect(m_pages->PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { guarded([this, index] { PageControl1Change(index); }); });
    connect(m_pages->cbMainBoard3, &QCheckBox::toggled, this, [this] { guarded([this] { cbBoard2Click(); }); });

    for (QAction *item : {m_menu->mi6LightsAction, m_menu->miRelaymodbus, m_menu->miCPUmodbus,
                          m_menu->TransAllOrder, m_menu->miAwaitReplies})
        connectFlag(item, [this, item] { mi6LightsActionClick(item); });
    // The commands read the awaited mode from the bus state, as the panels do.
    connect(m_menu->miAwaitReplies, &QAction::toggled, this, [this](bool on) { m_busState.awaitReplies = on; });
    connectFlag(m_menu->miReadOnly, [this] { miReadOnlyClick(); });
    connect(m_menu->N4, &QAction::triggered, this, [this] { guarded([this] { N4Click(); }); });
    connect(m_menu->N2, &QAction::triggered, this, [this] { guarded([this] { N2Click(); }); });
    connect(m_menu->N3, &QAction::triggered, this, [this] { guarded([this] { N3Click(); }); });
    connect(m_menu->N5, &QAction::triggered, this, [this] { guarded([this] { N5Click(); }); });
    connect(m_menu->miSaveRecord, &QAction::triggered, this, [this] { guarded([this] { miSaveRecordClick(); }); });

    // The log's context menu: copy and the time, then the save of the record.
    auto *separator = new QAction(m_pages->ListBox1);
    separator->setSeparator(true);
    m_pages->ListBox1->addAction(separator);
    m_pages->ListBox1->addAction(m_menu->miSaveRecord);
}

void TForm1::connectFlag(QAction *item, const std::function<void()> &handler)
{
    // Qt has already inverted the mark when triggered arrives; the handler
    // inverts it itself, as it does when code calls it.
    connect(item, &QAction::triggered, this, [this, item, handler] {
        item->setChecked(!item->isChecked());
        guarded(handler);
    });
}

void TForm1::guarded(const std::function<void()> &handler)
{
    RunGuarded(m_environment.errors, handler);
}

void TForm1::FormCreate()
{
    m_sceneStore.setShownKeyIndex(-1);

    m_panels.LightBoardPanels.forEach([this](int n, TfmLightBoard &panel) {
        panel.InitSlot(n);
        m_sceneStore.bindBoardView(n, &panel);
    });
    m_sceneStore.bindMainDimmerView(m_mainDimmer);
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        m_panels.BoardCheckBoxes.at(slot)->setProperty("tag", slot);
        m_panels.SlotPanelTable.at(slot)->setProperty("tag", slot);
    }

    fillPickerCaptions();
    QComboBox *keyList = m_pages->ComboBox1;
    keyList->clear();
    keyList->addItems(KeyNames());
    keyList->setCurrentIndex(-1);
    fillPowerCaptions();

    m_pages->PageControl1->setCurrentIndex(0);
    m_busState.scanFlag = false;

    // Each six-key panel restores its buttons from the scene image.
    m_panels.SixKeyPanels.forEach([](int n, SixKeyPanelView &panel) { panel.SetPanelNumber(n); });

    m_panels.DimmerPanels.forEach([this](int c, Tfm6Lights &panel) {
        panel.InitCircuit(c);
        m_sceneStore.bindCircuitView(c, &panel);
    });

    for (int slot = 1; slot <= kSlotCount; ++slot)
        m_panels.BoardCheckBoxes.at(slot)->setChecked(false);
}

void TForm1::FormClose()
{
    // The six-key panels and the circuit titles save into the scene image.
    // Nothing is written to the disk on closing.
    m_panelSettings.SaveSettings(*m_storage);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A pass running finishes the blink it is in, so no output stays inverted.
    m_boardTest->windowClosing();
    guarded([this] { FormClose(); });
    event->accept();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // After the connection dialog has applied its settings, so the stored
    // serial port number is the one in effect.
    guarded([this] { m_sceneFile->FormShow(); });
}

void TForm1::N2Click()
{
    m_sceneFile->N2Click();
}

void TForm1::N3Click()
{
    m_sceneFile->N3Click();
}

void TForm1::N5Click()
{
    m_sceneFile->N5Click();
}

void TForm1::miSaveRecordClick()
{
    m_recordCommands->miSaveRecordClick();
}

void TForm1::ComboBox1Enter()
{
    m_keySwitch->ComboBox1Enter();
}

void TForm1::PageControl1Change(int index)
{
    const int panel = m_pages->sixKeyPanelOfPage(m_pages->PageControl1->widget(index));
    if (SixKeyPanelView *buttons = m_panels.SixKeyPanels.at(panel))
        RefreshSixKeyCaptions(*buttons);
}

void TForm1::mi6LightsActionClick(QAction *item)
{
    if (item)
        item->setChecked(!item->isChecked());
}

void TForm1::miReadOnlyClick()
{
    QAction *item = m_menu->miReadOnly;
    item->setChecked(!item->isChecked());
    const bool readOnly = item->isChecked();
    m_panels.SixKeyPanels.forEach([readOnly](int, SixKeyPanelView &panel) { panel.SetReadOnly(readOnly); });
    m_panels.LightBoardPanels.forEach([readOnly](int, TfmLightBoard &panel) { panel.SetReadOnly(readOnly); });
    m_sixCircuitPage->SetReadOnly(readOnly);
}

void TForm1::N4Click()
{
    if (m_environment.showModal)
        m_environment.showModal(*m_commSetup);
    else
        m_commSetup->exec();
}

void TForm1::cbBoard2Click()
{
    m_pages->Panel9->setVisible(m_pages->cbMainBoard3->isChecked());
}

void TForm1::btn6LightsSendAllClick()
{
    m_sixCircuitPage->btn6LightsSendAllClick();
}

void TForm1::btn6LightsGetAllClick()
{
    m_sixCircuitPage->btn6LightsGetAllClick();
}

void TForm1::fm6Key10btnQTClick()
{
    m_sixKeyPanel10->btnQTClick();
}

void TForm1::fm6Key10btnReadQTClick()
{
    m_sixKeyPanel10->btnReadQTClick();
}
