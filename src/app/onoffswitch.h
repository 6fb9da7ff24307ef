#pragma once

#include <QAbstractButton>

// An on/off switch: a checkable button drawn as a sliding knob. The state
// changes before clicked() is emitted.
class OnOffSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit OnOffSwitch(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
