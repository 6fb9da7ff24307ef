#include "panels/ledindicator.h"

#include <QMouseEvent>
#include <QPainter>

LedIndicator::LedIndicator(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

void LedIndicator::setOn(bool on)
{
    if (m_on == on)
        return;
    m_on = on;
    update();
}

void LedIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Off is drawn in the window-frame colour (the palette's text colour).
    QColor fill = m_on ? QColor(Qt::yellow) : palette().color(QPalette::Active, QPalette::WindowText);
    if (!isEnabled())
        fill = fill.darker(130);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}

void LedIndicator::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    event->accept();
}

void LedIndicator::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (event->button() == Qt::LeftButton && wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}
