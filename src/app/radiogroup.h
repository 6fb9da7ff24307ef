#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

// A titled group of radio buttons laid out in columns (filled column by
// column). ItemIndex -1 means no item is selected. itemClicked() is emitted
// for the user's clicks only.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &title, const QStringList &items, int columns, QWidget *parent = nullptr);

    int itemIndex() const;
    // Out-of-range values select nothing.
    void setItemIndex(int index);
    int count() const { return m_buttons.size(); }
    QRadioButton *button(int index) const { return m_buttons.value(index); }

signals:
    void itemClicked(int index);

private:
    QButtonGroup *m_group;
    QList<QRadioButton *> m_buttons;
};
