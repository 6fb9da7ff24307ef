#include "app/buttontabstrip.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

ButtonTabStrip::ButtonTabStrip(QTabWidget *tabs, int columns, QWidget *parent)
    : QWidget(parent), m_tabs(tabs), m_columns(columns)
{
    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setSpacing(1);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    m_tabs->tabBar()->hide();
    connect(m_group, &QButtonGroup::idClicked, m_tabs, &QTabWidget::setCurrentIndex);
    connect(m_tabs, &QTabWidget::currentChanged, this, &ButtonTabStrip::showCurrent);
    rebuild();
}

void ButtonTabStrip::rebuild()
{
    for (QAbstractButton *button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    int place = 0;
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (!m_tabs->isTabVisible(i))
            continue;
        auto *button = new QToolButton(this);
        button->setText(m_tabs->tabText(i));
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_group->addButton(button, i);
        m_grid->addWidget(button, place / m_columns, place % m_columns);
        ++place;
    }
    showCurrent(m_tabs->currentIndex());
}

void ButtonTabStrip::showCurrent(int index)
{
    if (QAbstractButton *button = m_group->button(index))
        button->setChecked(true);
}
