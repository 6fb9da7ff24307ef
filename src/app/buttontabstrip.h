#pragma once

#include <QWidget>

class QButtonGroup;
class QGridLayout;
class QTabWidget;

// Button-style tabs in several rows for a tab widget whose own tab bar is
// hidden: one checkable button per visible tab, the current page's checked.
class ButtonTabStrip : public QWidget
{
    Q_OBJECT
public:
    ButtonTabStrip(QTabWidget *tabs, int columns, QWidget *parent = nullptr);

    // Rebuilds the buttons after tabs were added, renamed or hidden.
    void rebuild();

private:
    void showCurrent(int index);

    QTabWidget *m_tabs;
    int m_columns;
    QGridLayout *m_grid;
    QButtonGroup *m_group;
};
