#include "panels/buttongrid.h"

#include <QGridLayout>
#include <QPushButton>

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);

} // namespace

ButtonGrid::ButtonGrid(int rows, int cols, QWidget *parent)
    : QWidget(parent), m_rows(rows), m_cols(cols)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            auto *button = new QPushButton(this);
            button->setObjectName(QStringLiteral("r%1c%2").arg(r).arg(c));
            button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
            button->setAutoFillBackground(true);
            connect(button, &QPushButton::clicked, this, [this, c, r] { emit ArrayButtonClicked(c, r); });
            grid->addWidget(button, r, c);
            m_buttons.push_back(button);
        }
    }
    for (int r = 0; r < rows; ++r)
        grid->setRowStretch(r, 1);
    for (int c = 0; c < cols; ++c)
        grid->setColumnStretch(c, 1);
    refresh();
}

QPushButton *ButtonGrid::button(int col, int row) const
{
    if (col < 0 || col >= m_cols || row < 0 || row >= m_rows)
        return nullptr;
    return m_buttons[size_t(row * m_cols + col)];
}

void ButtonGrid::setCaptions(const QStringList &captions)
{
    m_captions = captions;
    refresh();
}

void ButtonGrid::setColors(const QStringList &colors)
{
    m_colors = colors;
    refresh();
}

QColor ButtonGrid::EntryColor(const QStringList &colors, int index)
{
    if (index < 0 || index >= colors.size())
        return kSilver;
    bool ok = false;
    const qint64 value = colors.at(index).trimmed().toLongLong(&ok, 10);
    if (!ok || value < 0 || value > 0xFFFFFF)
        return kSilver;
    // Stored as 0x00BBGGRR.
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void ButtonGrid::refresh()
{
    for (int i = 0; i < int(m_buttons.size()); ++i) {
        QPushButton *button = m_buttons[size_t(i)];
        button->setText(i < m_captions.size() ? m_captions.at(i) : QString());
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, EntryColor(m_colors, i));
        palette.setColor(QPalette::ButtonText, Qt::black);
        button->setPalette(palette);
    }
}
