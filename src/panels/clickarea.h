#pragma once

#include <QWidget>

// A transparent click area over a picture: draws nothing, reports a click of
// the left button released inside it. Its key index is its "tag" property.
class ClickArea : public QWidget
{
    Q_OBJECT
public:
    explicit ClickArea(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
