#include "panels/maindimmer.h"

#include "link/errorreporter.h"
#include "protocol/boardtable.h"
#include "scenes/maindimmerdata.h"
#include "scenes/panelrequests.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QVariant>

namespace {

const char kTag[] = "tag";
constexpr std::array<int, kDimmerColumns> kColumnX = {50, 83, 117, 150};
constexpr std::array<int, kDimmerGroups> kGroupBarY = {25, 99};
constexpr std::array<int, kDimmerGroups> kGroupBoxY = {44, 125};
constexpr int kBarWidth = 28;
constexpr int kBarHeight = 71;

} // namespace

MainDimmer::MainDimmer(const PanelContext &context, QFrame *panel9, QCheckBox *boardCheckBox,
                       const QAction *liveAction, QObject *parent)
    : QObject(parent), m_context(context), m_boardCheckBox(boardCheckBox), m_liveAction(liveAction)
{
    buildControls(panel9);
}

void MainDimmer::buildControls(QFrame *panel9)
{
    QFont labelFont = panel9->font();
    labelFont.setPixelSize(16);
    labelFont.setBold(true);
    labelFont.setItalic(true);
    for (int c = 1; c <= kDimmerColumns; ++c) {
        auto *label = new QLabel(QString::number(c), panel9);
        label->setObjectName(QStringLiteral("JvLabel%1").arg(24 + c));
        label->setGeometry(kColumnX[size_t(c - 1)], 7, kBarWidth, 18);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(labelFont);
        label->setStyleSheet(QStringLiteral("color: blue;"));
        m_labels[size_t(c - 1)] = label;
    }
    for (int g = 1; g <= kDimmerGroups; ++g) {
        auto *box = new QCheckBox(QString::number(g), panel9);
        box->setObjectName(QStringLiteral("JvCheckBox%1").arg(48 + g));
        box->setGeometry(16, kGroupBoxY[size_t(g - 1)], 32, 17);
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, [this, box] { guarded([this, box] { JvCheckBox1Click(box); }); });
        m_groupBoxes[size_t(g - 1)] = box;
        for (int c = 1; c <= kDimmerColumns; ++c) {
            auto *slider = new QSlider(Qt::Vertical, panel9);
            slider->setObjectName(QStringLiteral("TrackBar%1").arg(4 * (g - 1) + c));
            slider->setGeometry(kColumnX[size_t(c - 1)], kGroupBarY[size_t(g - 1)], kBarWidth, kBarHeight);
            slider->setRange(0, kMaxDimmerLevel);
            slider->setPageStep(1);
            slider->setTickPosition(QSlider::TicksBothSides);
            slider->setTickInterval(1);
            slider->setValue(0);
            slider->setProperty(kTag, 0);
            connect(slider, &QSlider::valueChanged, this,
                    [this, slider] { guarded([this, slider] { TrackBar1Change(slider); }); });
            m_bars[size_t(c - 1)][size_t(g - 1)] = slider;
        }
    }
}

void MainDimmer::guarded(const std::function<void()> &handler)
{
    RunGuarded(m_context.errors, handler);
}

QCheckBox *MainDimmer::groupBox(int group) const
{
    return group >= 1 && group <= kDimmerGroups ? m_groupBoxes[size_t(group - 1)] : nullptr;
}

QSlider *MainDimmer::bar(int column, int group) const
{
    if (column < 1 || column > kDimmerColumns || group < 1 || group > kDimmerGroups)
        return nullptr;
    return m_bars[size_t(column - 1)][size_t(group - 1)];
}

QLabel *MainDimmer::columnLabel(int column) const
{
    return column >= 1 && column <= kDimmerColumns ? m_labels[size_t(column - 1)] : nullptr;
}

int MainDimmer::lastSentLevel(const QSlider *bar)
{
    return bar->property(kTag).toInt();
}

bool MainDimmer::groupEnabled(int group) const
{
    const QCheckBox *box = groupBox(group);
    return box && box->isChecked();
}

void MainDimmer::setGroupEnabled(int group, bool enabled)
{
    if (QCheckBox *box = groupBox(group))
        box->setChecked(enabled);
}

int MainDimmer::level(int group, int column) const
{
    const QSlider *slider = bar(column, group);
    return slider ? slider->value() : 0;
}

void MainDimmer::setLevel(int group, int column, int level)
{
    if (QSlider *slider = bar(column, group))
        slider->setValue(level);
}

void MainDimmer::JvCheckBox1Click(QObject *sender)
{
    for (int g = 1; g <= kDimmerGroups; ++g) {
        QCheckBox *box = m_groupBoxes[size_t(g - 1)];
        if (sender != box)
            continue;
        for (int c = 1; c <= kDimmerColumns; ++c)
            bar(c, g)->setVisible(box->isChecked());
    }
}

void MainDimmer::TrackBar1Change(QObject *sender)
{
    // Nothing is sent, and the tag stays, while the board is absent or the
    // live option is off.
    if (!m_boardCheckBox->isChecked() || !m_liveAction->isChecked())
        return;
    int column = 0;
    QSlider *moved = nullptr;
    for (int c = 1; c <= kDimmerColumns && !moved; ++c)
        for (int g = 1; g <= kDimmerGroups && !moved; ++g)
            if (sender == m_bars[size_t(c - 1)][size_t(g - 1)]) {
                column = c;
                moved = m_bars[size_t(c - 1)][size_t(g - 1)];
            }
    if (!moved)
        return;
    const int position = moved->value();
    if (lastSentLevel(moved) == position)
        return;
    // Always a board frame, whatever the Modbus options say.
    SendBoardFrame(m_context.bus, LiveOutputRequest(SlotInfo(kMainDimmerSlot).busId, MainDimmerMask(*this),
                                                    MainDimmerColumnLevels(*this, column)));
    // Remembered once the frame went out: a send that failed is not taken
    // for sent, so the same level can be sent again.
    moved->setProperty(kTag, position);
}
