#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

// One key drawn on a picture: where it lies (in the picture widget's own
// coordinates) and the scene name it shows.
struct DrawnKey
{
    enum class Symbol { None, Sun, Star, Drop, Book, Lamp, Moon };
    QRect rect;
    QString label;
    Symbol symbol = Symbol::None;
};

// A picture that draws the scene keys it is given over its own artwork.
class KeyPicture : public QWidget
{
public:
    using QWidget::QWidget;

    // Keys in widget coordinates.
    void setKeys(const std::vector<DrawnKey> &keys);
    const std::vector<DrawnKey> &keys() const { return m_keys; }

private:
    std::vector<DrawnKey> m_keys;
};

// The picture of a six-key wall panel (Image1): a glass face in a metal frame
// with two rows of three touch keys, each with its symbol, its scene name and
// a status light. Drawn for a face of 631 x 452 and scaled to the widget's
// size; the keys are placed where the click areas over the picture are.
class WallPanelPicture : public KeyPicture
{
    Q_OBJECT
public:
    static constexpr int kNaturalWidth = 631;
    static constexpr int kNaturalHeight = 452;

    explicit WallPanelPicture(QWidget *parent = nullptr);

    // Its keys go in the order top left, top middle, top right, bottom
    // left, bottom middle, bottom right.

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The picture of a wired remote control (imFY1), 319 x 600, unscaled: a
// handset with a display, the room's scene keys in two rows of four, volume
// and channel keys and the cord at its foot.
class RemotePicture : public KeyPicture
{
    Q_OBJECT
public:
    static constexpr int kWidth = 319;
    static constexpr int kHeight = 600;

    explicit RemotePicture(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
