#include "panels/sixkey.h"

#include "link/errorreporter.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "link/trafficlog.h"
#include "protocol/boardtable.h"
#include "protocol/kvterror.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"
#include "scenes/progressstatus.h"
#include "scenes/replywatch.h"
#include "scenes/transfersummary.h"
#include "scenes/scenefilestorage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kGridColumns = 3;
constexpr int kButtonPauseMs = 100;
constexpr int kNewPanelTimeValue = 5;
constexpr int kNewPanelSensitivity = 2;
const QString kSensitivityHint = QStringLiteral("預設值10, 0 關, 越大越不靈敏");

// The "all" glyph of btnSendKey: the six keys as dots and an arrow under them.
QIcon SendKeysGlyph()
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 160));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            painter.drawEllipse(QPointF(3 + 5 * column, 2 + 4 * row), 1.6, 1.6);
    painter.setPen(QPen(QColor(0, 0, 160), 1.4));
    painter.drawLine(QPointF(1, 10), QPointF(14, 10));
    painter.drawLine(QPointF(11, 8), QPointF(14, 10));
    return QIcon(pixmap);
}

// A key index text as the button keeps it: a decimal 0..61, else none (-1).
int KeyIndexOf(const QString &text)
{
    bool ok = false;
    const int index = text.trimmed().toInt(&ok, 10);
    return ok && index >= 0 && index < kKeyCount ? index : -1;
}

// A stored entry that is not a value of its kind reads as missing, so one bad
// entry costs only itself; numbers are clamped into the control's range.
bool ReadBool(const SceneFileStorage &storage, const QString &path, bool fallback)
{
    try {
        return storage.readBool(path, fallback);
    } catch (const KvtError &) {
        return fallback;
    }
}

int ReadClamped(const SceneFileStorage &storage, const QString &path, int fallback, int maximum)
{
    int value = fallback;
    try {
        value = storage.readInteger(path, fallback);
    } catch (const KvtError &) {
        value = fallback;
    }
    return std::clamp(value, 0, maximum);
}

template <typename T>
T *Named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

SixKeyButtonGrid::SixKeyButtonGrid(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("btns6Key"));
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int b = 1; b <= kSixKeyButtonCount; ++b) {
        const int column = (b - 1) % kGridColumns;
        const int row = (b - 1) / kGridColumns;
        auto *button = Named(new QPushButton(QString::number(b)), QStringLiteral("btns6Key%1").arg(b));
        button->setMinimumHeight(44);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setStyleSheet(QStringLiteral("QPushButton { background: #FFF4C0; border: 1px solid #A08000; }"
                                             "QPushButton:pressed { background: #FFE060; }"
                                             "QPushButton:disabled { background: #E8E4D0; color: #808080; }"));
        connect(button, &QPushButton::clicked, this, [this, column, row] { emit clicked(column, row); });
        layout->addWidget(button, row, column);
        m_buttons[size_t(b - 1)] = button;
        m_hints.append(QStringLiteral("-1"));
    }
}

QStringList SixKeyButtonGrid::captions() const
{
    QStringList texts;
    for (const QPushButton *button : m_buttons)
        texts.append(button->text());
    return texts;
}

QPushButton *SixKeyButtonGrid::button(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? m_buttons[size_t(button - 1)] : nullptr;
}

void SixKeyButtonGrid::setCaption(int button, const QString &caption)
{
    if (QPushButton *b = this->button(button))
        b->setText(caption);
}

QString SixKeyButtonGrid::hint(int button) const
{
    return m_hints.value(button - 1);
}

void SixKeyButtonGrid::setHint(int button, const QString &hint)
{
    if (button >= 1 && button <= kSixKeyButtonCount)
        m_hints[button - 1] = hint;
}

void SixKeyButtonGrid::setOverlay(int column, QWidget *widget)
{
    widget->setParent(this);
    m_overlays[size_t(column)] = widget;
    widget->raise();
    placeOverlays();
}

void SixKeyButtonGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeOverlays();
}

void SixKeyButtonGrid::placeOverlays()
{
    for (int column = 0; column < kGridColumns; ++column) {
        QWidget *widget = m_overlays[size_t(column)];
        if (!widget)
            continue;
        const QRect top = m_buttons[size_t(column)]->geometry();
        const QRect bottom = m_buttons[size_t(column + kGridColumns)]->geometry();
        const QSize size = widget->sizeHint();
        const int border = (top.bottom() + bottom.top()) / 2;
        widget->setGeometry(top.center().x() - size.width() / 2, border - size.height() / 2, size.width(),
                            size.height());
        widget->raise();
    }
}

Tfm6Key::Tfm6Key(const SixKeyContext &context, QWidget *parent) : QFrame(parent), m_context(context)
{
    buildControls();
}

void Tfm6Key::buildControls()
{
    setFrameShape(QFrame::NoFrame);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    auto *top = new QHBoxLayout;
    top->setSpacing(3);
    for (int b = 1; b <= 3; ++b)
        top->addWidget(buildGroup(b));
    column->addLayout(top);

    m_grid = new SixKeyButtonGrid(this);
    connect(m_grid, &SixKeyButtonGrid::clicked, this, [this](int c, int r) {
        guarded([this, c, r] { btns6KeyArrayButtonClicked(c, r); });
    });
    column->addWidget(m_grid, 1);

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(3);
    for (int b = 4; b <= 6; ++b)
        bottom->addWidget(buildGroup(b));
    column->addLayout(bottom);

    m_btnQT = Named(new QPushButton(QStringLiteral("設靈敏度")), QStringLiteral("btnQT"));
    connect(m_btnQT, &QPushButton::clicked, this, [this] { guarded([this] { btnQTClick(); }); });
    m_btnReadQT = Named(new QPushButton(QStringLiteral("讀靈敏度")), QStringLiteral("btnReadQT"));
    connect(m_btnReadQT, &QPushButton::clicked, this, [this] { guarded([this] { btnReadQTClick(); }); });
    m_btnSendKey = Named(new QToolButton, QStringLiteral("btnSendKey"));
    m_btnSendKey->setText(QStringLiteral("_"));
    m_btnSendKey->setIcon(SendKeysGlyph());
    m_btnSendKey->setIconSize(QSize(16, 12));
    m_btnSendKey->setToolTip(QStringLiteral("傳送六個按鍵的設定"));
    connect(m_btnSendKey, &QToolButton::clicked, this, [this] { guarded([this] { btnSendKeyClick(); }); });
    m_grid->setOverlay(0, m_btnQT);
    m_grid->setOverlay(1, m_btnReadQT);
    m_grid->setOverlay(2, m_btnSendKey);
}

QWidget *Tfm6Key::buildGroup(int b)
{
    auto *group = Named(new QFrame, QStringLiteral("gbKey%1").arg(b));
    group->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(2, 1, 2, 1);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(1);
    // Narrow groups on a narrow page: the captions keep their full width.
    group->setStyleSheet(QStringLiteral("QCheckBox, QRadioButton { spacing: 2px; }"));

    ButtonControls &c = m_controls[size_t(b - 1)];
    c.loop = Named(new QCheckBox(QStringLiteral("Loop")), QStringLiteral("cbLoop%1").arg(b));
    c.loop->setChecked(true);
    c.stop = Named(new QCheckBox(QStringLiteral("送停")), QStringLiteral("cbStop%1").arg(b));
    c.seconds = Named(new QRadioButton(QStringLiteral("秒")), QStringLiteral("rbSec%1").arg(b));
    c.seconds->setChecked(true);
    c.minutes = Named(new QRadioButton(QStringLiteral("分")), QStringLiteral("rbMin%1").arg(b));
    c.timeValue = Named(new QSpinBox, QStringLiteral("se%1").arg(b));
    c.timeValue->setRange(0, kSixKeyMaxTimeValue);
    c.timeValue->setValue(kNewPanelTimeValue);
    c.sensitivity = Named(new QSpinBox, QStringLiteral("seqt%1").arg(b));
    c.sensitivity->setRange(0, kSixKeyMaxSensitivity);
    c.sensitivity->setValue(kNewPanelSensitivity);
    c.sensitivity->setToolTip(kSensitivityHint);
    auto *label = Named(new QLabel(QStringLiteral("靈敏度")), QStringLiteral("lbQT%1").arg(b));
    for (QWidget *w : std::initializer_list<QWidget *>{c.loop, c.stop, c.seconds, c.minutes, label})
        w->setSizePolicy(QSizePolicy::Minimum, w->sizePolicy().verticalPolicy());

    grid->addWidget(c.loop, 0, 0);
    grid->addWidget(c.stop, 0, 1);
    grid->addWidget(c.seconds, 1, 0);
    grid->addWidget(c.timeValue, 1, 1, 2, 1, Qt::AlignVCenter);
    grid->addWidget(c.minutes, 2, 0);
    grid->addWidget(label, 3, 0);
    grid->addWidget(c.sensitivity, 3, 1);
    return group;
}

void Tfm6Key::guarded(const std::function<void()> &handler)
{
    RunGuarded(m_context.panel.errors, handler);
}

void Tfm6Key::SetPanelNumber(int n)
{
    if (SixKeyPanelSlot(n) < 0)
        throw KvtError(QStringLiteral("Six-key panel %1 does not exist").arg(n));
    m_panel = n;
    RestoreSettings();
}

quint8 Tfm6Key::BusId() const
{
    const int slot = SixKeyPanelSlot(m_panel);
    return slot > 0 ? SlotInfo(slot).busId : quint8(0);
}

void Tfm6Key::RestoreSettings()
{
    StoredSettings::RestoreSettings(m_context.storage);
}

QString Tfm6Key::settingsPath(int button, const char *entry) const
{
    return QStringLiteral("\\6key%1\\key%2\\").arg(m_panel).arg(button) + QLatin1String(entry);
}

void Tfm6Key::SaveSettings(SceneFileStorage &storage)
{
    for (int b = 1; b <= kSixKeyButtonCount; ++b) {
        const ButtonControls &c = controls(b);
        storage.writeBool(settingsPath(b, "Loop"), c.loop->isChecked());
        storage.writeBool(settingsPath(b, "Stop"), c.stop->isChecked());
        storage.writeBool(settingsPath(b, "Second"), c.seconds->isChecked());
        storage.writeBool(settingsPath(b, "Minute"), c.minutes->isChecked());
        storage.writeInteger(settingsPath(b, "Value"), c.timeValue->value());
        storage.writeInteger(settingsPath(b, "QTValue"), c.sensitivity->value());
        storage.writeText(settingsPath(b, "Caption"), m_grid->button(b)->text());
        storage.writeText(settingsPath(b, "Hint"), m_grid->hint(b));
    }
}

std::function<void()> Tfm6Key::ReadSettings(const SceneFileStorage &storage) const
{
    std::array<ButtonSettings, kSixKeyButtonCount> read;
    for (int b = 1; b <= kSixKeyButtonCount; ++b) {
        ButtonSettings &s = read[size_t(b - 1)];
        s.loop = ReadBool(storage, settingsPath(b, "Loop"), true);
        s.stop = ReadBool(storage, settingsPath(b, "Stop"), false);
        // The two options are one choice; minutes only when the file says so.
        s.minutes = ReadBool(storage, settingsPath(b, "Minute"), false);
        s.timeValue = ReadClamped(storage, settingsPath(b, "Value"), 0, kSixKeyMaxTimeValue);
        s.sensitivity = ReadClamped(storage, settingsPath(b, "QTValue"), 8, kSixKeyMaxSensitivity);
        s.caption = storage.readText(settingsPath(b, "Caption"), QString());
        s.hint = storage.readText(settingsPath(b, "Hint"), QString());
    }
    auto *self = const_cast<Tfm6Key *>(this);
    // The read-only state stays as "唯讀" shows it.
    return [self, read] {
        for (int b = 1; b <= kSixKeyButtonCount; ++b) {
            const ButtonSettings &s = read[size_t(b - 1)];
            const ButtonControls &c = self->controls(b);
            c.loop->setChecked(s.loop);
            c.stop->setChecked(s.stop);
            (s.minutes ? c.minutes : c.seconds)->setChecked(true);
            c.timeValue->setValue(s.timeValue);
            c.sensitivity->setValue(s.sensitivity);
            self->m_grid->setCaption(b, s.caption);
            self->m_grid->setHint(b, s.hint);
        }
    };
}

QString Tfm6Key::keyIndexText(int button) const
{
    return m_grid->hint(button + 1);
}

void Tfm6Key::setButtonCaption(int button, const QString &caption)
{
    m_grid->setCaption(button + 1, caption);
}

QCheckBox *Tfm6Key::loopBox(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? controls(button).loop : nullptr;
}

QCheckBox *Tfm6Key::stopBox(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? controls(button).stop : nullptr;
}

QRadioButton *Tfm6Key::secondsButton(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? controls(button).seconds : nullptr;
}

QRadioButton *Tfm6Key::minutesButton(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? controls(button).minutes : nullptr;
}

QSpinBox *Tfm6Key::timeValueBox(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? controls(button).timeValue : nullptr;
}

QSpinBox *Tfm6Key::sensitivityBox(int button) const
{
    return button >= 1 && button <= kSixKeyButtonCount ? controls(button).sensitivity : nullptr;
}

SixKeyFlags Tfm6Key::flags(int button) const
{
    const ButtonControls &c = controls(button);
    SixKeyFlags f;
    f.loop = c.loop->isChecked();
    f.sendStop = c.stop->isChecked();
    f.minutes = c.minutes->isChecked();
    f.timeValue = c.timeValue->value();
    return f;
}

void Tfm6Key::showFlags(int button, const SixKeyFlags &f)
{
    const ButtonControls &c = controls(button);
    c.loop->setChecked(f.loop);
    c.stop->setChecked(f.sendStop);
    (f.minutes ? c.minutes : c.seconds)->setChecked(true);
    c.timeValue->setValue(f.timeValue);
}

bool Tfm6Key::sendButton(int button)
{
    const int keyIndex = KeyIndexOf(m_grid->hint(button));
    // No key, no code: 00 would assign "參數" to the wall key.
    if (keyIndex < 0)
        return false;
    SendModbusFrame(m_context.panel.bus, SixKeyWriteRequest(BusId(), ButtonKeyPosition(button),
                                                            SixKeyCode(keyIndex),
                                                            EncodeSixKeyFlags(flags(button))));
    return true;
}

void Tfm6Key::reportUnassigned(const QList<int> &buttons)
{
    if (buttons.isEmpty())
        return;
    QStringList numbers;
    for (int b : buttons)
        numbers.append(QString::number(b));
    m_context.showStatus(QStringLiteral("6Key-%1 按鍵%2 未指定場景，未送出").arg(m_panel).arg(numbers.join(QStringLiteral("、"))));
}

void Tfm6Key::btns6KeyArrayButtonClicked(int column, int row)
{
    if (column < 0 || column >= kGridColumns || row < 0 || row > 1)
        return;
    const int button = kGridColumns * row + column + 1;
    KeySelection &keys = m_context.panel.keys;
    const int selected = keys.selectedKeyIndex();
    if (selected >= 0) {
        m_grid->setHint(button, QString::number(selected));
        m_grid->setCaption(button, KeyName(selected));
        // Only the selection: the panels keep the key they show.
        keys.selectKeyIndex(-1);
    }
    if (!sendButton(button))
        reportUnassigned({button});
}

int Tfm6Key::SendAllKeys()
{
    // btnSendKey is disabled while the six frames go out; a send reached
    // again from inside (a "儲6Key" meanwhile) has nothing to add.
    if (m_sendingAll)
        return 0;
    QToolButton *sendKey = m_btnSendKey;
    const CommandRunning running(m_sendingAll, [sendKey](bool enabled) { sendKey->setEnabled(enabled); });
    KeySelection &keys = m_context.panel.keys;
    Pacer &pacer = m_context.panel.bus.pacer;
    // So that no button is reassigned; the buttons are sent as they stand,
    // also when a key is chosen while events run.
    keys.selectKeyIndex(-1);
    QList<int> unassigned;
    int sent = 0;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            const int button = kGridColumns * row + column + 1;
            if (sendButton(button))
                ++sent;
            else
                unassigned.append(button);
            pacer.processEvents();
            pacer.pause(kButtonPauseMs);
        }
    }
    reportUnassigned(unassigned);
    return sent;
}

void Tfm6Key::btnSendKeyClick()
{
    SendAllKeys();
}

void Tfm6Key::RequestKeySetting(int position)
{
    if (position < 1 || position > kSixKeyButtonCount)
        throw KvtError(QStringLiteral("Six-key position %1 does not exist").arg(position));
    m_lastPosition = position;
    SendModbusFrame(m_context.panel.bus, SixKeyReadRequest(BusId(), position));
}

void Tfm6Key::ApplyKeyReply(const QByteArray &data)
{
    // Before the first request there is no button it belongs to.
    if (m_readOnly || m_lastPosition == 0 || data.isEmpty())
        return;
    const int button = KeyButtonOrder(m_lastPosition);
    const auto code = quint8(data.at(0));
    const int keyIndex = SixKeyIndexOfCode(code);
    const QString name = KeyName(keyIndex);
    m_grid->setCaption(button, name);
    m_grid->setHint(button, QString::number(keyIndex));
    if (data.size() >= 2)
        showFlags(button, DecodeSixKeyFlags(quint8(data.at(1))));
    m_context.panel.bus.log.LogLine(QStringLiteral("i:%1, j:%2, Value:%3, name:%4")
                                        .arg(button)
                                        .arg(keyIndex + 1)
                                        .arg(QString::number(code, 16).toUpper(), name),
                                    BusDirection::Note);
    m_context.panel.bus.pacer.processEvents();
    m_grid->update();
}

void Tfm6Key::btnQTClick()
{
    ButtonSensitivities values{};
    for (int b = 1; b <= kSixKeyButtonCount; ++b)
        values[size_t(b - 1)] = controls(b).sensitivity->value();
    sendSensitivity(QStringLiteral("設靈敏度"), SensitivityWriteRequest(BusId(), values), true);
}

void Tfm6Key::btnReadQTClick()
{
    sendSensitivity(QStringLiteral("讀靈敏度"), SensitivityReadRequest(BusId()), false);
}

void Tfm6Key::sendSensitivity(const QString &command, const QByteArray &request, bool write)
{
    const int slot = SixKeyPanelSlot(m_panel);
    const ReplyWatch &replies = m_context.replies;
    const auto heard = [&replies, slot, write] {
        return write ? replies.acknowledgementsOf(slot) : replies.readRepliesOf(slot, kSensitivityBytes);
    };
    const int before = heard();
    // The answer comes while the send lets events run after its pause.
    SendModbusFrame(m_context.panel.bus, request);
    TransferSummary summary;
    summary.add(slot, 0, heard() > before);
    m_context.panel.progress.showSummary(summary.text(command));
}

void Tfm6Key::ApplySensitivityReply(const QByteArray &data)
{
    if (m_readOnly)
        return;
    // A short reply sets the positions it carries.
    for (int p = 1; p <= kSixKeyButtonCount && p <= data.size(); ++p)
        controls(KeyButtonOrder(p)).sensitivity->setValue(SensitivityOfByte(quint8(data.at(p - 1))));
    m_context.panel.bus.pacer.processEvents();
    m_grid->update();
}

void Tfm6Key::SetReadOnly(bool flag)
{
    if (flag == m_readOnly)
        return;
    m_readOnly = flag;
    for (int b = 1; b <= kSixKeyButtonCount; ++b) {
        const ButtonControls &c = controls(b);
        for (QWidget *w : std::initializer_list<QWidget *>{c.loop, c.stop, c.seconds, c.minutes, c.timeValue,
                                                           c.sensitivity, m_grid->button(b)})
            w->setEnabled(!flag);
    }
    m_btnQT->setEnabled(!flag);
}
