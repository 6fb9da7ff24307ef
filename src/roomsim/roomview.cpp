#include "roomsim/roomview.h"

#include "roomsim/keymemoryboard.h"
#include "roomsim/roombus.h"
#include "roomsim/sixcircuitdimmer.h"

#include <QPainter>

namespace {

constexpr int kRowHeight = 30;
constexpr int kLabelWidth = 130;
constexpr int kLamp = 20;
constexpr int kGap = 6;
constexpr int kBarWidth = 48;

// A horizontal bar filled to level/max, with the level written on it.
void DrawBar(QPainter &p, const QRect &r, int level, int max, const QString &label)
{
    p.setPen(Qt::darkGray);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(r);
    QRect fill = r.adjusted(1, 1, 0, 0);
    fill.setWidth(max > 0 ? (r.width() - 1) * level / max : 0);
    p.fillRect(fill, QColor(255, 200, 40));
    p.setPen(fill.right() >= r.center().x() ? Qt::black : Qt::white);
    p.drawText(r, Qt::AlignCenter, label);
}

} // namespace

RoomView::RoomView(const RoomBus &bus, QWidget *parent) : QWidget(parent), m_bus(bus)
{
    setWindowTitle(QStringLiteral("kvt-roomsim"));
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_refresh.start();
    setMinimumSize(sizeHint());
    resize(sizeHint());
}

QRect RoomView::lampRect(int row, int output)
{
    const int mid = kGap + row * kRowHeight + kRowHeight / 2;
    return {kLabelWidth + (output - 1) * (kLamp + kGap), mid - kLamp / 2, kLamp, kLamp};
}

QRect RoomView::barRect(int row, int index, bool mainDimmer)
{
    const int mid = kGap + row * kRowHeight + kRowHeight / 2;
    const int width = mainDimmer ? 2 * kBarWidth : kBarWidth;
    return {kLabelWidth + (index - 1) * (width + (mainDimmer ? 2 * kGap : kGap)), mid - 8, width, 16};
}

QSize RoomView::sizeHint() const
{
    const int rows = int(m_bus.boards().size());
    return {kLabelWidth + 6 * (kBarWidth + kGap) + 2 * kGap, qMax(1, rows) * kRowHeight + 2 * kGap};
}

void RoomView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(20, 20, 28));
    p.setRenderHint(QPainter::Antialiasing);
    int y = kGap;
    int row = 0;
    for (const auto &board : m_bus.boards()) {
        p.setPen(Qt::white);
        p.drawText(QRect(kGap, y, kLabelWidth, kRowHeight), Qt::AlignVCenter,
                   BusIdText(board->busId()) + QStringLiteral("  ") + board->kindName());
        if (const auto *keys = dynamic_cast<const KeyMemoryBoard *>(board.get())) {
            if (keys->kind() == KeyMemoryBoard::Kind::MainDimmer) {
                for (int g = 1; g <= 2; ++g)
                    DrawBar(p, barRect(row, g, true), keys->dimmerLevel(g), 3,
                            QStringLiteral("%1: %2").arg(g).arg(keys->dimmerLevel(g)));
            } else {
                for (int r = 1; r <= 8; ++r) {
                    const bool on = keys->outputs() & (1 << (r - 1));
                    p.setPen(Qt::darkGray);
                    p.setBrush(on ? QColor(255, 230, 0) : QColor(50, 50, 50));
                    const QRect lamp = lampRect(row, r);
                    p.drawEllipse(lamp);
                    p.setPen(on ? Qt::black : Qt::lightGray);
                    p.drawText(lamp, Qt::AlignCenter, QString::number(r));
                }
            }
        } else if (const auto *dimmer = dynamic_cast<const SixCircuitDimmer *>(board.get())) {
            for (int c = 1; c <= SixCircuitDimmer::kCircuitCount; ++c)
                DrawBar(p, barRect(row, c, false), dimmer->level(c), 63, QString::number(dimmer->level(c)));
        } else {
            p.setPen(Qt::lightGray);
            p.drawText(QRect(kLabelWidth, y, 6 * (kBarWidth + kGap), kRowHeight), Qt::AlignVCenter,
                       QStringLiteral("registers 2000-20FF"));
        }
        ++row;
        y += kRowHeight;
    }
}
