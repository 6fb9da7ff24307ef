#pragma once

#include "panels/panelcontext.h"
#include "scenes/sceneviews.h"
#include "scenes/storedsettings.h"

#include <QDateTime>
#include <QFrame>
#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class SceneFileStorage;
struct BusState;

constexpr int kCircuitLevelBars = 4;
constexpr int kCircuitMaxLevel = 63;
constexpr int kCircuitMaxElapse = 127;
constexpr int kCircuitDefaultElapse = 20;
// A live level write within this time of the previous one's return is dropped.
constexpr int kCircuitLiveThrottleMs = 100;

// What the six circuit panels share with the page and the window around them.
struct SixCircuitContext
{
    PanelContext panel;
    BusState &busState; // AwaitedCircuit
    SceneFileStorage &storage; // the circuit titles
    const QAction *liveAction; // "調光即時動作"
    const QSpinBox *machineNumber; // "機號": the board's Modbus slave id
    // Shows a line in the window's status bar (why nothing was sent); required.
    std::function<void(const QString &)> showStatus;
};

// The panel of one circuit of the six-circuit dimmer board: four levels, the
// enabled flag and the elapse value of the selected key, and a title that
// names the circuit (kept in the scene file, not per key).
//
// Circuit data, 4 bytes; the 7-bit elapse e is spread over the top bits:
//   byte 0: enabled (bit 7), e bit 6 (bit 6), level 1 (bits 5-0)
//   byte 1: e bits 5, 4 (bits 7, 6), level 2
//   byte 2: e bits 3, 2 (bits 7, 6), level 3
//   byte 3: e bits 1, 0 (bits 7, 6), level 4
// Data shorter than 4 bytes stand for FF FF FF FF.
//
// The public slots are the handlers. They may raise KvtError; the panel's own
// widgets reach them through the error guard, code that calls them directly
// sees the error.
class Tfm6Lights : public QFrame, public CircuitDataView, public StoredSettings
{
    Q_OBJECT
public:
    explicit Tfm6Lights(const SixCircuitContext &context, QWidget *parent = nullptr);

    // Binds the panel to circuit n (1..6) and reads its title.
    void InitCircuit(int n);
    int circuit() const { return m_circuit; }

    QByteArray EncodeCircuitData() const override;
    void DecodeCircuitData(const QByteArray &data) override;

    void SetReadOnly(bool flag);
    bool isReadOnly() const { return m_readOnly; }

    // The title in the scene image under "\6Lights\Circle<n>\Title" (empty
    // when absent); the file commands save and restore it through these.
    static QString TitlePath(int circuit);
    void SaveSettings(SceneFileStorage &storage) override;
    std::function<void()> ReadSettings(const SceneFileStorage &storage) const override;

    QCheckBox *enabledBox() const { return m_cbEnabled; }
    QSlider *levelBar(int n) const;
    QSpinBox *elapseBox() const { return m_seElapse; }
    QLineEdit *titleEdit() const { return m_edTitle; }
    QPushButton *sendButton() const { return m_btnSend; }
    QPushButton *readButton() const { return m_btnRead; }
    QDateTime lastLiveSend() const { return m_lastLiveSend; }

public slots:
    // "傳": writes the circuit's data for the selected key.
    void btnSendClick();
    // "讀": asks the board for them; the reply arrives later for AwaitedCircuit.
    void btnReadClick();
    // A level bar moved: the live level write, throttled per panel.
    void TrackBar1Change(QObject *sender);
    void cbEnabledClick();

private:
    void buildControls();
    void guarded(const std::function<void()> &handler);
    // The selected key index when it has circuit registers; otherwise says
    // in the status bar why nothing is done (what: "傳送", "讀取") and gives -1.
    int registerKeyIndex(const QString &what) const;
    quint8 machineNumber() const;

    SixCircuitContext m_context;
    int m_circuit = 0;
    bool m_readOnly = false;
    bool m_liveSending = false;
    QDateTime m_lastLiveSend;
    QCheckBox *m_cbEnabled = nullptr;
    std::array<QSlider *, kCircuitLevelBars> m_bars{};
    QSpinBox *m_seElapse = nullptr;
    QLineEdit *m_edTitle = nullptr;
    QPushButton *m_btnSend = nullptr;
    QPushButton *m_btnRead = nullptr;
};
