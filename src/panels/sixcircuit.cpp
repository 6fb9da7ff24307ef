#include "panels/sixcircuit.h"

#include "link/errorreporter.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "scenes/sixcircuitregisters.h"
#include "scenes/busstate.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"
#include "scenes/panelrequests.h"
#include "scenes/scenefilestorage.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace {

constexpr int kCircuitDataSize = 4;
constexpr quint8 kEnabledBit = 0x80;
constexpr quint8 kLevelMask = 0x3F;
constexpr quint8 kElapseFieldMask = 0xC0;
constexpr int kFirstBarPageStep = 5;
constexpr std::array<int, kCircuitLevelBars> kBarY = {1, 20, 38, 57};

} // namespace

Tfm6Lights::Tfm6Lights(const SixCircuitContext &context, QWidget *parent)
    : QFrame(parent), m_context(context)
{
    buildControls();
}

void Tfm6Lights::buildControls()
{
    setFixedSize(420, 82);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    m_cbEnabled = new QCheckBox(this);
    m_cbEnabled->setObjectName(QStringLiteral("cbEnabled"));
    m_cbEnabled->setGeometry(13, 8, 17, 17);
    m_cbEnabled->setChecked(true);
    connect(m_cbEnabled, &QCheckBox::toggled, this, [this] { guarded([this] { cbEnabledClick(); }); });

    m_seElapse = new QSpinBox(this);
    m_seElapse->setObjectName(QStringLiteral("seElapse"));
    m_seElapse->setGeometry(6, 25, 42, 22);
    m_seElapse->setRange(0, kCircuitMaxElapse);
    m_seElapse->setValue(kCircuitDefaultElapse);

    m_edTitle = new QLineEdit(this);
    m_edTitle->setObjectName(QStringLiteral("edTitle"));
    m_edTitle->setGeometry(2, 51, 46, 22);

    for (int n = 1; n <= kCircuitLevelBars; ++n) {
        auto *bar = new QSlider(Qt::Horizontal, this);
        bar->setObjectName(QStringLiteral("TrackBar%1").arg(n));
        bar->setGeometry(50, kBarY[size_t(n - 1)], 304, 19);
        bar->setRange(0, kCircuitMaxLevel);
        bar->setValue(0);
        bar->setPageStep(n == 1 ? kFirstBarPageStep : 1);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setTickInterval(n == 1 ? kFirstBarPageStep : 1);
        bar->setProperty("tag", n - 1);
        connect(bar, &QSlider::valueChanged, this, [this, bar] { guarded([this, bar] { TrackBar1Change(bar); }); });
        m_bars[size_t(n - 1)] = bar;
    }

    m_btnSend = new QPushButton(QStringLiteral("傳"), this);
    m_btnSend->setObjectName(QStringLiteral("btnSend"));
    m_btnSend->setGeometry(360, 9, 33, 25);
    connect(m_btnSend, &QPushButton::clicked, this, [this] { guarded([this] { btnSendClick(); }); });
    m_btnRead = new QPushButton(QStringLiteral("讀"), this);
    m_btnRead->setObjectName(QStringLiteral("btnRead"));
    m_btnRead->setGeometry(360, 41, 33, 25);
    connect(m_btnRead, &QPushButton::clicked, this, [this] { guarded([this] { btnReadClick(); }); });
}

void Tfm6Lights::guarded(const std::function<void()> &handler)
{
    RunGuarded(m_context.panel.errors, handler);
}

QSlider *Tfm6Lights::levelBar(int n) const
{
    return n >= 1 && n <= kCircuitLevelBars ? m_bars[size_t(n - 1)] : nullptr;
}

void Tfm6Lights::InitCircuit(int n)
{
    m_circuit = n;
    m_lastLiveSend = m_context.panel.bus.pacer.now();
    RestoreSettings(m_context.storage);
}

QString Tfm6Lights::TitlePath(int circuit)
{
    return QStringLiteral("\\6Lights\\Circle%1").arg(circuit) + QStringLiteral("\\Title");
}

void Tfm6Lights::SaveSettings(SceneFileStorage &storage)
{
    storage.writeText(TitlePath(m_circuit), m_edTitle->text());
}

std::function<void()> Tfm6Lights::ReadSettings(const SceneFileStorage &storage) const
{
    const QString title = storage.readText(TitlePath(m_circuit), QString());
    QLineEdit *edit = m_edTitle;
    return [edit, title] { edit->setText(title); };
}

QByteArray Tfm6Lights::EncodeCircuitData() const
{
    const int e = m_seElapse->value();
    const auto level = [this](int n) { return m_bars[size_t(n - 1)]->value() & kLevelMask; };
    QByteArray data(kCircuitDataSize, '\0');
    data[0] = char((m_cbEnabled->isChecked() ? kEnabledBit : 0) | (e & 0x40) | level(1));
    data[1] = char(((e & 0x30) << 2) | level(2));
    data[2] = char(((e & 0x0C) << 4) | level(3));
    data[3] = char(((e & 0x03) << 6) | level(4));
    return data;
}

void Tfm6Lights::DecodeCircuitData(const QByteArray &data)
{
    const QByteArray d = data.size() < kCircuitDataSize ? QByteArray(kCircuitDataSize, char(0xFF)) : data;
    const auto byteAt = [&d](int i) { return quint8(d.at(i)); };
    // Each change runs the control's reaction, as a user's change does.
    for (int n = 1; n <= kCircuitLevelBars; ++n)
        m_bars[size_t(n - 1)]->setValue(byteAt(n - 1) & kLevelMask);
    m_cbEnabled->setChecked(byteAt(0) & kEnabledBit);
    m_seElapse->setValue((byteAt(0) & 0x40) + ((byteAt(1) & kElapseFieldMask) >> 2)
                         + ((byteAt(2) & kElapseFieldMask) >> 4) + ((byteAt(3) & kElapseFieldMask) >> 6));
}

void Tfm6Lights::SetReadOnly(bool flag)
{
    if (flag == m_readOnly)
        return;
    m_readOnly = flag;
    for (QSlider *bar : m_bars)
        bar->setEnabled(!flag);
    m_cbEnabled->setEnabled(!flag);
    m_seElapse->setEnabled(!flag);
    m_edTitle->setEnabled(!flag);
}

quint8 Tfm6Lights::machineNumber() const
{
    return quint8(m_context.machineNumber->value());
}

int Tfm6Lights::registerKeyIndex(const QString &what) const
{
    const int keyIndex = m_context.panel.keys.selectedKeyIndex();
    if (keyIndex < 0) {
        m_context.showStatus(QStringLiteral("6回調光第%1回路未%2：未選按鍵").arg(m_circuit).arg(what));
        return -1;
    }
    if (!HasCircuitRegisters(keyIndex)) {
        m_context.showStatus(QStringLiteral("6回調光第%1回路未%2：按鍵「%3」沒有6回調光的暫存器")
                                 .arg(m_circuit)
                                 .arg(what, KeyName(keyIndex)));
        return -1;
    }
    return keyIndex;
}

void Tfm6Lights::btnSendClick()
{
    const int keyIndex = registerKeyIndex(QStringLiteral("傳送"));
    if (keyIndex < 0)
        return;
    SendModbusFrame(m_context.panel.bus, CircuitWriteRequest(machineNumber(), keyIndex, m_circuit, EncodeCircuitData()));
    m_context.panel.bus.pacer.processEvents();
}

void Tfm6Lights::btnReadClick()
{
    const int keyIndex = registerKeyIndex(QStringLiteral("讀取"));
    if (keyIndex < 0)
        return;
    const QByteArray request = CircuitReadRequest(machineNumber(), keyIndex, m_circuit);
    m_context.busState.AwaitedCircuit = m_circuit;
    SendModbusFrame(m_context.panel.bus, request);
    m_context.panel.bus.pacer.processEvents();
}

void Tfm6Lights::TrackBar1Change(QObject *sender)
{
    QSlider *moved = nullptr;
    for (QSlider *bar : m_bars)
        if (sender == bar)
            moved = bar;
    if (!moved || m_circuit < 1 || !m_context.liveAction->isChecked())
        return;
    // A change while this panel's previous live write is still going out (its
    // pauses let events through) is dropped like one within the throttle, so a
    // stale level never follows a newer one onto the board.
    if (m_liveSending)
        return;
    Pacer &pacer = m_context.panel.bus.pacer;
    const qint64 since = m_lastLiveSend.msecsTo(pacer.now());
    // A clock set back since the last write does not hold live writes off.
    if (since >= 0 && since <= kCircuitLiveThrottleMs)
        return;
    const CommandRunning sending(m_liveSending);
    SendModbusFrame(m_context.panel.bus, CircuitLiveRequest(machineNumber(), m_circuit, quint8(moved->value())));
    m_lastLiveSend = pacer.now();
}

void Tfm6Lights::cbEnabledClick()
{
    for (QSlider *bar : m_bars)
        bar->setVisible(m_cbEnabled->isChecked());
}
