#include "app/onoffswitch.h"

#include <QPainter>

OnOffSwitch::OnOffSwitch(QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
}

QSize OnOffSwitch::sizeHint() const
{
    return {56, 24};
}

void OnOffSwitch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? QColor(0x2e, 0xa0, 0x43) : QColor(0xb0, 0xb0, 0xb0));
    p.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - knob - 2 : track.left() + 2;
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    p.setPen(Qt::white);
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 0.8);
    p.setFont(f);
    const QRectF label = isChecked() ? QRectF(track.left() + 4, track.top(), track.width() - knob - 8, track.height())
                                     : QRectF(track.left() + knob + 4, track.top(), track.width() - knob - 8, track.height());
    p.drawText(label, Qt::AlignCenter, isChecked() ? QStringLiteral("ON") : QStringLiteral("OFF"));
}
