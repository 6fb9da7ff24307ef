#include "panels/lightboard.h"

#include "link/errorreporter.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "panels/ledindicator.h"
#include "protocol/boardtable.h"
#include "scenes/keyloop.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"
#include "scenes/panelrequests.h"
#include "scenes/progressstatus.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int kLedAreaX = 0;
constexpr int kLedAreaY = 18;
constexpr int kRowY0 = 17;
constexpr int kRowPitch = 21;
constexpr std::array<int, kLightColumns> kColumnX = {32, 53, 74, 95};

// The "all" glyph of the send-all button: three lines and an arrow.
QIcon SendAllGlyph()
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(0, 0, 160), 1.5));
    for (int y : {2, 6, 10})
        painter.drawLine(1, y, 9, y);
    painter.drawLine(10, 6, 15, 6);
    painter.drawLine(12, 3, 15, 6);
    painter.drawLine(12, 9, 15, 6);
    return QIcon(pixmap);
}

// Position of the sender among the controls of one array, -1 when absent.
template <typename T, size_t N>
int IndexOf(const QObject *sender, const std::array<T *, N> &controls)
{
    for (size_t i = 0; i < N; ++i)
        if (static_cast<const QObject *>(controls[i]) == sender)
            return int(i);
    return -1;
}

} // namespace

TfmLightBoard::TfmLightBoard(const PanelContext &context, QWidget *parent)
    : QFrame(parent), m_context(context)
{
    buildControls();
}

void TfmLightBoard::buildControls()
{
    setFixedSize(136, 205);

    m_btnSendAll = new QToolButton(this);
    m_btnSendAll->setObjectName(QStringLiteral("btnSendAll"));
    m_btnSendAll->setGeometry(0, 0, 25, 17);
    m_btnSendAll->setIcon(SendAllGlyph());
    m_btnSendAll->setIconSize(QSize(16, 12));
    m_btnSendAll->setToolTip(QStringLiteral("傳送機板的所有設定"));
    m_btnSendAll->setToolTipDuration(25000);
    connect(m_btnSendAll, &QToolButton::clicked, this, [this] { guarded([this] { btnSendAllClick(); }); });

    // Checked at creation, so the start-up clearing runs the reaction and hides
    // the LED area like any later change does.
    m_checkBox1 = new QCheckBox(this);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_checkBox1->setGeometry(26, 0, 110, 17);
    m_checkBox1->setChecked(true);
    connect(m_checkBox1, &QCheckBox::toggled, this, [this] { guarded([this] { CheckBox1Click(); }); });

    m_panel1 = new QFrame(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setGeometry(kLedAreaX, kLedAreaY, 115, 186);
    m_panel1->setFrameShape(QFrame::Panel);
    m_panel1->setFrameShadow(QFrame::Sunken);

    QFont labelFont = font();
    labelFont.setPixelSize(13);
    labelFont.setBold(true);
    labelFont.setItalic(true);
    for (int c = 1; c <= kLightColumns; ++c) {
        auto *label = new QLabel(QString::number(c), m_panel1);
        label->setObjectName(QStringLiteral("lb%1").arg(c));
        label->setGeometry(kColumnX[size_t(c - 1)], 1, 16, 16);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(labelFont);
        label->setStyleSheet(QStringLiteral("color: blue;"));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        m_labels[size_t(c - 1)] = label;
    }
    for (int r = 1; r <= kLightRows; ++r) {
        const int y = kRowY0 + kRowPitch * (r - 1);
        auto *row = new QCheckBox(QString::number(r), m_panel1);
        row->setObjectName(QStringLiteral("cb%1").arg(r));
        row->setGeometry(2, y, 30, 16);
        row->setChecked(true);
        connect(row, &QCheckBox::toggled, this, [this, row] { guarded([this, row] { cb1Click(row); }); });
        m_rows[size_t(r - 1)] = row;
        for (int c = 1; c <= kLightColumns; ++c) {
            auto *led = new LedIndicator(m_panel1);
            led->setObjectName(QStringLiteral("l%1%2").arg(r).arg(c));
            led->move(kColumnX[size_t(c - 1)], y);
            connect(led, &LedIndicator::clicked, this, [this, led] { guarded([this, led] { l11Click(led); }); });
            m_leds[size_t(c - 1)][size_t(r - 1)] = led;
        }
    }
}

void TfmLightBoard::guarded(const std::function<void()> &handler)
{
    RunGuarded(m_context.errors, handler);
}

void TfmLightBoard::InitSlot(int slot)
{
    const quint8 busId = SlotInfo(slot).busId;
    m_slot = slot;
    m_checkBox1->setText(QStringLiteral("燈光機板%1(%2)").arg(slot).arg(busId));
}

quint8 TfmLightBoard::BusId() const
{
    return m_slot > 0 ? SlotInfo(m_slot).busId : quint8(0);
}

bool TfmLightBoard::isPresent() const
{
    return m_checkBox1->isChecked();
}

LedIndicator *TfmLightBoard::led(int column, int row) const
{
    if (column < 1 || column > kLightColumns || row < 1 || row > kLightRows)
        return nullptr;
    return m_leds[size_t(column - 1)][size_t(row - 1)];
}

QCheckBox *TfmLightBoard::rowCheckBox(int row) const
{
    return row >= 1 && row <= kLightRows ? m_rows[size_t(row - 1)] : nullptr;
}

QLabel *TfmLightBoard::columnLabel(int column) const
{
    return column >= 1 && column <= kLightColumns ? m_labels[size_t(column - 1)] : nullptr;
}

quint8 TfmLightBoard::rowMask() const
{
    quint8 mask = 0;
    for (int r = 1; r <= kLightRows; ++r)
        if (m_rows[size_t(r - 1)]->isChecked())
            mask |= quint8(1u << (r - 1));
    return mask;
}

quint8 TfmLightBoard::columnPattern(int column) const
{
    quint8 pattern = 0;
    for (int r = 1; r <= kLightRows; ++r)
        if (m_leds[size_t(column - 1)][size_t(r - 1)]->isOn())
            pattern |= quint8(1u << (r - 1));
    return pattern;
}

QByteArray TfmLightBoard::EncodeBoardData() const
{
    const char mask = char(rowMask());
    QByteArray data;
    for (int c = 1; c <= kLightColumns; ++c) {
        data.append(mask);
        data.append(char(columnPattern(c)));
    }
    if (blinkHeld()) {
        for (int c = 1; c <= kLightColumns; ++c)
            for (int r = 1; r <= kLightRows; ++r)
                if (led(c, r) == m_blinkLed)
                    data[2 * c - 1] = char(quint8(data.at(2 * c - 1)) ^ quint8(1u << (r - 1)));
    }
    return data;
}

void TfmLightBoard::holdBlink(LedIndicator *led, bool shows)
{
    m_blinkLed = led;
    m_blinkShows = shows;
}

bool TfmLightBoard::blinkHeld() const
{
    // A click or a column toggle since has changed the LED: it shows data again.
    return m_blinkLed && m_blinkLed->isOn() == m_blinkShows;
}

void TfmLightBoard::DecodeBoardData(const QByteArray &data)
{
    endBlink();
    const auto byteAt = [&data](int i) { return i < data.size() ? quint8(data.at(i)) : quint8(0); };
    const quint8 mask = byteAt(0);
    for (int r = 1; r <= kLightRows; ++r) {
        const quint8 bit = quint8(1u << (r - 1));
        for (int c = 1; c <= kLightColumns; ++c)
            m_leds[size_t(c - 1)][size_t(r - 1)]->setOn(byteAt(2 * c - 1) & bit);
        // A changed row runs its reaction, so rows cleared by the data hide.
        m_rows[size_t(r - 1)]->setChecked(mask & bit);
    }
    update();
}

void TfmLightBoard::l11Click(QObject *sender)
{
    int column = 0;
    int row = 0;
    for (int c = 1; c <= kLightColumns && !column; ++c) {
        const auto &leds = m_leds[size_t(c - 1)];
        const int r = IndexOf(sender, leds);
        if (r >= 0) {
            column = c;
            row = r + 1;
        }
    }
    if (!column)
        return;
    led(column, row)->toggle();
    // Always a board frame, whatever the Modbus options say.
    SendBoardFrame(m_context.bus, LiveOutputRequest(BusId(), rowMask(), columnPattern(column)));
}

void TfmLightBoard::lb1Click(QObject *sender)
{
    const int index = IndexOf(sender, m_labels);
    if (index < 0)
        return;
    const int column = index + 1;
    for (int r = 1; r < kLightRows; ++r)
        led(column, r)->toggle();
    // The eighth LED goes through the LED click: one command for the column.
    l11Click(led(column, kLightRows));
}

void TfmLightBoard::cb1Click(QObject *sender)
{
    const int index = IndexOf(sender, m_rows);
    if (index < 0)
        return;
    const bool shown = m_rows[size_t(index)]->isChecked();
    for (int c = 1; c <= kLightColumns; ++c)
        m_leds[size_t(c - 1)][size_t(index)]->setVisible(shown);
}

void TfmLightBoard::CheckBox1Click()
{
    m_panel1->setVisible(m_checkBox1->isChecked());
}

void TfmLightBoard::SetReadOnly(bool flag)
{
    if (flag == m_readOnly)
        return;
    m_readOnly = flag;
    for (int r = 1; r <= kLightRows; ++r) {
        m_rows[size_t(r - 1)]->setEnabled(!flag);
        for (int c = 1; c <= kLightColumns; ++c)
            m_leds[size_t(c - 1)][size_t(r - 1)]->setEnabled(!flag);
    }
}

void TfmLightBoard::SendBoardModbus()
{
    const int keyIndex = m_context.keys.selectedKeyIndex();
    if (keyIndex < 0 || !isPresent())
        return;
    if (IsModbusRoute(m_slot, m_context.route.relayModbus(), m_context.route.cpuModbus()))
        SendModbusFrame(m_context.bus, LightKeyWriteRequest(BusId(), keyIndex, EncodeBoardData()));
    m_context.bus.pacer.processEvents();
    m_context.bus.pacer.pause(kSendBoardModbusPauseMs);
}

void TfmLightBoard::btnSendAllClick()
{
    // The button is disabled while the send runs; a send reached again from
    // inside it has nothing to add.
    if (m_sendingAll)
        return;
    QToolButton *button = m_btnSendAll;
    const CommandRunning running(m_sendingAll, [button](bool enabled) { button->setEnabled(enabled); });
    const auto clear = OnScopeExit([this] { m_context.progress.clearProgress(); });
    const QString what = QStringLiteral("傳送燈光機板%1").arg(m_slot);
    const LinkDropWatch drop(m_context.bus.link, what);
    SendOverKeys({m_context.bus, m_context.keys, m_context.progress}, drop, what, KeyRange(0, kSendAllKeys),
                 kSendAllKeyPauseMs, [this](int) { SendBoardModbus(); });
}

bool TfmLightBoard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const int index = IndexOf(watched, m_labels);
        if (index >= 0 && mouse->button() == Qt::LeftButton) {
            guarded([this, watched] { lb1Click(watched); });
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
