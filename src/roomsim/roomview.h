#pragma once

#include <QTimer>
#include <QWidget>

class RoomBus;

// A small window with one row per board: the eight outputs of the light and
// six-key boards as lamps, the main dimmer's two groups and the six circuits
// of the six-circuit dimmer as level bars. It follows the room live.
class RoomView : public QWidget
{
public:
    explicit RoomView(const RoomBus &bus, QWidget *parent = nullptr);

    static constexpr int kRefreshMs = 50;
    QSize sizeHint() const override;
    // Where the lamp of an output (1..8) of the board in row (0..) is drawn.
    static QRect lampRect(int row, int output);
    // Where the level bar of a dimmer circuit or group (1..) in row (0..) is drawn.
    static QRect barRect(int row, int index, bool mainDimmer);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const RoomBus &m_bus;
    QTimer m_refresh;
};
