#include "panels/pickerpictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace {

// Wall panel: a champagne metal frame around a graphite glass face.
const QColor kFrameLight(222, 214, 196);
const QColor kFrameDark(150, 140, 120);
const QColor kGlass(30, 32, 36);
const QColor kKeyTop(96, 102, 114);
const QColor kKeyBottom(70, 75, 86);
const QColor kKeyEdge(140, 148, 160);
const QColor kLabel(236, 238, 242);
const QColor kStatusLight(90, 180, 255);

// Remote: a pearl-white handset with grey keys.
const QColor kBodyLight(250, 250, 247);
const QColor kBodyShade(212, 214, 216);
const QColor kBodyEdge(150, 152, 156);
const QColor kSceneKey(128, 168, 214);
const QColor kSceneKeyEdge(60, 90, 130);
const QColor kSceneLabel(16, 30, 60);
const QColor kSideKey(200, 203, 208);
const QColor kDisplay(170, 196, 170);

void DrawSymbol(QPainter &p, DrawnKey::Symbol symbol, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setPen(QPen(colour, box.width() / 14.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const qreal r = box.width() / 2.0;
    switch (symbol) {
    case DrawnKey::Symbol::Sun: {
        p.drawEllipse(c, r * 0.42, r * 0.42);
        for (int i = 0; i < 8; ++i) {
            const qreal a = qDegreesToRadians(45.0 * i);
            p.drawLine(c + QPointF(qCos(a), qSin(a)) * r * 0.62, c + QPointF(qCos(a), qSin(a)) * r * 0.95);
        }
        break;
    }
    case DrawnKey::Symbol::Star: {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal a = qDegreesToRadians(-90.0 + 36.0 * i);
            const qreal rr = (i % 2 ? 0.42 : 0.95) * r;
            star << c + QPointF(qCos(a), qSin(a)) * rr;
        }
        p.drawPolygon(star);
        break;
    }
    case DrawnKey::Symbol::Drop: {
        QPainterPath drop;
        drop.moveTo(c.x(), c.y() - r * 0.95);
        drop.cubicTo(c.x() + r * 0.2, c.y() - r * 0.45, c.x() + r * 0.7, c.y() - r * 0.05, c.x() + r * 0.7,
                     c.y() + r * 0.3);
        drop.arcTo(QRectF(c.x() - r * 0.7, c.y() - r * 0.4, r * 1.4, r * 1.4), 0, -180);
        drop.cubicTo(c.x() - r * 0.7, c.y() - r * 0.05, c.x() - r * 0.2, c.y() - r * 0.45, c.x(),
                     c.y() - r * 0.95);
        p.drawPath(drop);
        break;
    }
    case DrawnKey::Symbol::Book: {
        const qreal w = r * 0.9;
        const qreal h = r * 0.7;
        p.drawLine(QPointF(c.x(), c.y() - h * 0.8), QPointF(c.x(), c.y() + h));
        QPainterPath pages;
        pages.moveTo(c.x(), c.y() - h * 0.8);
        pages.quadTo(c.x() - w * 0.5, c.y() - h * 1.1, c.x() - w, c.y() - h * 0.8);
        pages.lineTo(c.x() - w, c.y() + h * 0.8);
        pages.quadTo(c.x() - w * 0.5, c.y() + h * 0.5, c.x(), c.y() + h);
        pages.quadTo(c.x() + w * 0.5, c.y() + h * 0.5, c.x() + w, c.y() + h * 0.8);
        pages.lineTo(c.x() + w, c.y() - h * 0.8);
        pages.quadTo(c.x() + w * 0.5, c.y() - h * 1.1, c.x(), c.y() - h * 0.8);
        p.drawPath(pages);
        break;
    }
    case DrawnKey::Symbol::Lamp: {
        QPolygonF shade;
        shade << QPointF(c.x() - r * 0.35, c.y() - r * 0.85) << QPointF(c.x() + r * 0.35, c.y() - r * 0.85)
              << QPointF(c.x() + r * 0.7, c.y() - r * 0.1) << QPointF(c.x() - r * 0.7, c.y() - r * 0.1);
        p.drawPolygon(shade);
        p.drawLine(QPointF(c.x(), c.y() - r * 0.1), QPointF(c.x(), c.y() + r * 0.75));
        p.drawLine(QPointF(c.x() - r * 0.45, c.y() + r * 0.8), QPointF(c.x() + r * 0.45, c.y() + r * 0.8));
        break;
    }
    case DrawnKey::Symbol::Moon: {
        QPainterPath moon;
        moon.addEllipse(c, r * 0.8, r * 0.8);
        QPainterPath bite;
        bite.addEllipse(c + QPointF(r * 0.42, -r * 0.3), r * 0.7, r * 0.7);
        p.drawPath(moon.subtracted(bite));
        break;
    }
    case DrawnKey::Symbol::None:
        break;
    }
    p.restore();
}

QFont LabelFont(qreal pixelSize, bool bold)
{
    QFont font;
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    return font;
}

} // namespace

void KeyPicture::setKeys(const std::vector<DrawnKey> &keys)
{
    m_keys = keys;
    update();
}

WallPanelPicture::WallPanelPicture(QWidget *parent) : KeyPicture(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WallPanelPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything is drawn in the face's own size and scaled to the widget.
    const qreal sx = width() / qreal(kNaturalWidth);
    const qreal sy = height() / qreal(kNaturalHeight);
    p.scale(sx, sy);
    const QRectF face(0, 0, kNaturalWidth, kNaturalHeight);

    // Metal frame, brushed from light to dark, with a bevelled inner edge.
    QLinearGradient metal(face.topLeft(), face.bottomRight());
    metal.setColorAt(0.0, kFrameLight);
    metal.setColorAt(0.55, kFrameLight.darker(108));
    metal.setColorAt(1.0, kFrameDark);
    p.fillRect(face, metal);
    p.setPen(QPen(kFrameDark.darker(130), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(face.adjusted(1, 1, -1, -1));

    // The glass face; its colour is what shows between the keys.
    const QRectF glass = face.adjusted(7, 7, -7, -7);
    p.setPen(QPen(QColor(20, 20, 22), 2));
    p.setBrush(kGlass);
    p.drawRoundedRect(glass, 6, 6);

    const QTransform toFace = QTransform::fromScale(sx, sy).inverted();
    for (const DrawnKey &key : keys()) {
        const QRectF area = toFace.mapRect(QRectF(key.rect));
        const QRectF tile = area.adjusted(6, 6, -6, -6);
        QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
        fill.setColorAt(0.0, kKeyTop);
        fill.setColorAt(1.0, kKeyBottom);
        p.setPen(QPen(kKeyEdge, 2));
        p.setBrush(fill);
        p.drawRoundedRect(tile, 14, 14);

        const qreal symbolSize = qMin(tile.width(), tile.height()) * 0.34;
        const QRectF symbolBox(tile.center().x() - symbolSize / 2, tile.top() + tile.height() * 0.16,
                               symbolSize, symbolSize);
        DrawSymbol(p, key.symbol, symbolBox, kLabel);

        p.setPen(kLabel);
        p.setFont(LabelFont(tile.height() * 0.16, true));
        const QRectF labelBox(tile.left(), tile.top() + tile.height() * 0.58, tile.width(), tile.height() * 0.24);
        p.drawText(labelBox, Qt::AlignCenter, key.label);

        // The key's status light under its name.
        QRadialGradient light(QPointF(tile.center().x(), tile.bottom() - tile.height() * 0.1), 6);
        light.setColorAt(0.0, Qt::white);
        light.setColorAt(0.5, kStatusLight);
        light.setColorAt(1.0, kStatusLight.darker(160));
        p.setPen(Qt::NoPen);
        p.setBrush(light);
        p.drawEllipse(QPointF(tile.center().x(), tile.bottom() - tile.height() * 0.1), 5, 5);
    }
}

RemotePicture::RemotePicture(QWidget *parent) : KeyPicture(parent)
{
    setFixedSize(kWidth, kHeight);
}

void RemotePicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The cord leaves the foot of the handset.
    p.setPen(QPen(QColor(70, 70, 74), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(160, 575), QPointF(160, 600));
    p.setPen(QPen(kBodyEdge, 1));
    p.setBrush(kBodyShade);
    p.drawRoundedRect(QRectF(148, 566, 24, 20), 4, 4);

    // The handset: a long rounded body, lighter in the middle.
    const QRectF body(46, 8, 228, 566);
    QLinearGradient shell(body.topLeft(), body.topRight());
    shell.setColorAt(0.0, kBodyShade);
    shell.setColorAt(0.25, kBodyLight);
    shell.setColorAt(0.75, kBodyLight);
    shell.setColorAt(1.0, kBodyShade);
    p.setPen(QPen(kBodyEdge, 2));
    p.setBrush(shell);
    p.drawRoundedRect(body, 46, 46);

    // Infrared window and maker's line at the top.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 20, 24));
    p.drawRoundedRect(QRectF(130, 22, 60, 12), 6, 6);

    // The display: time and room temperature.
    const QRectF display(76, 56, 168, 96);
    p.setPen(QPen(QColor(90, 96, 92), 3));
    p.setBrush(kDisplay);
    p.drawRoundedRect(display, 8, 8);
    p.setPen(QColor(40, 54, 40));
    p.setFont(LabelFont(34, true));
    p.drawText(display.adjusted(0, 6, 0, -30), Qt::AlignCenter, QStringLiteral("21:30"));
    p.setFont(LabelFont(16, false));
    p.drawText(display.adjusted(0, 56, 0, 0), Qt::AlignCenter, QStringLiteral("25°C"));

    // Power key.
    QRadialGradient power(QPointF(160, 190), 22);
    power.setColorAt(0.0, QColor(235, 90, 80));
    power.setColorAt(1.0, QColor(170, 40, 36));
    p.setPen(QPen(QColor(120, 30, 28), 2));
    p.setBrush(power);
    p.drawEllipse(QPointF(160, 190), 20, 20);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(150, 180, 20, 20), 120 * 16, 300 * 16);
    p.drawLine(QPointF(160, 177), QPointF(160, 189));

    // Grey function keys (air conditioning and fan) above the scene keys.
    const auto sideKey = [&p](const QRectF &r, const QString &text) {
        p.setPen(QPen(kBodyEdge, 1.5));
        p.setBrush(kSideKey);
        p.drawRoundedRect(r, 8, 8);
        p.setPen(QColor(60, 62, 66));
        p.setFont(LabelFont(12, true));
        p.drawText(r, Qt::AlignCenter, text);
    };
    for (int i = 0; i < 4; ++i)
        sideKey(QRectF(70 + 45 * i, 236, 41, 27), QStringList{QStringLiteral("▲"), QStringLiteral("▼"),
                                                                QStringLiteral("風速"), QStringLiteral("模式")}[i]);
    for (int i = 0; i < 4; ++i)
        sideKey(QRectF(70 + 45 * i, 276, 41, 27), QStringList{QStringLiteral("電視"), QStringLiteral("音樂"),
                                                                QStringLiteral("窗簾"), QStringLiteral("服務")}[i]);

    // The lights section: a caption and a line over the scene keys.
    p.setPen(QPen(kBodyEdge, 1));
    p.drawLine(QPointF(70, 372), QPointF(250, 372));
    p.setPen(QColor(80, 84, 90));
    p.setFont(LabelFont(13, true));
    p.drawText(QRectF(70, 350, 180, 20), Qt::AlignCenter, QStringLiteral("燈光情境"));
    p.setBrush(QColor(250, 190, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(160, 390), 3, 3);

    for (const DrawnKey &key : keys()) {
        const QRectF r = QRectF(key.rect).adjusted(1, 1, -1, -1);
        QLinearGradient fill(r.topLeft(), r.bottomLeft());
        fill.setColorAt(0.0, kSceneKey.lighter(118));
        fill.setColorAt(1.0, kSceneKey);
        p.setPen(QPen(kSceneKeyEdge, 1.5));
        p.setBrush(fill);
        p.drawRoundedRect(r, 7, 7);
        p.setPen(kSceneLabel);
        p.setFont(LabelFont(12, true));
        p.drawText(r, Qt::AlignCenter, key.label);
    }

    // Volume and channel rockers under the scene keys.
    const auto rocker = [&p](const QRectF &r, const QString &caption) {
        p.setPen(QPen(kBodyEdge, 1.5));
        p.setBrush(kSideKey);
        p.drawRoundedRect(r, r.width() / 2, r.width() / 2);
        p.setPen(QColor(60, 62, 66));
        p.setFont(LabelFont(16, true));
        p.drawText(QRectF(r.left(), r.top() + 2, r.width(), 22), Qt::AlignCenter, QStringLiteral("+"));
        p.drawText(QRectF(r.left(), r.bottom() - 24, r.width(), 22), Qt::AlignCenter, QStringLiteral("−"));
        p.setFont(LabelFont(11, false));
        p.drawText(QRectF(r.left() - 10, r.center().y() - 8, r.width() + 20, 16), Qt::AlignCenter, caption);
    };
    rocker(QRectF(86, 490, 40, 70), QStringLiteral("音量"));
    rocker(QRectF(194, 490, 40, 70), QStringLiteral("頻道"));
    // Speaker holes between the rockers.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 152, 156));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(QPointF(148 + 12 * col, 504 + 12 * row), 2.2, 2.2);
}
