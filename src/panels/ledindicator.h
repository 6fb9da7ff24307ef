#pragma once

#include <QWidget>

// A round two-colour indicator that can be clicked: yellow when on, the
// window-frame colour when off. Clicks are ignored while it is disabled.
class LedIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit LedIndicator(QWidget *parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    void toggle() { setOn(!m_on); }

    QSize sizeHint() const override { return QSize(16, 16); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_on = true;
    bool m_pressed = false;
};
