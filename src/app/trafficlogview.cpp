#include "app/trafficlogview.h"

#include "link/trafficlog.h"

#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>

TrafficLogView::TrafficLogView(TrafficLog *log, QWidget *parent)
    : QListView(parent), m_log(log)
{
    setObjectName(QStringLiteral("ListBox1"));
    setModel(log);

    // Fixed pitch so the hex columns line up; key names in Chinese come from
    // the CJK monospace face after it.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({font.family(), QStringLiteral("Noto Sans Mono CJK TC")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kFontPixelSize);
    setFont(font);

    // Every row is one line of the same font: uniform sizes keep appending and
    // scrolling cheap on a full list.
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Several lines can be selected for copying; each new line still becomes
    // the one selection.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_copy = new QAction(QStringLiteral("複製"), this);
    m_copy->setObjectName(QStringLiteral("miCopyLog"));
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    connect(m_copy, &QAction::triggered, this, &TrafficLogView::copySelection);
    addAction(m_copy);

    m_showTime = new QAction(QStringLiteral("顯示時間"), this);
    m_showTime->setObjectName(QStringLiteral("miShowTime"));
    m_showTime->setCheckable(true);
    m_showTime->setChecked(log->showTime());
    connect(m_showTime, &QAction::toggled, log, &TrafficLog::setShowTime);
    addAction(m_showTime);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(log, &TrafficLog::lineAppended, this, &TrafficLogView::selectRow);
    connect(log, &TrafficLog::showTimeChanged, this, [this](bool shown) {
        m_showTime->setChecked(shown);
        // Every line changed its width: the uniform row size is measured again.
        scheduleDelayedItemsLayout();
    });
}

void TrafficLogView::selectRow(int row)
{
    const QModelIndex index = m_log->index(row);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    // Scrolling lays the whole list out; while the "Log" tab is not shown the
    // view scrolls to the current line when it is shown instead.
    if (isVisible())
        scrollTo(index, QAbstractItemView::EnsureVisible);
}

QString TrafficLogView::selectedText() const
{
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList lines;
    lines.reserve(rows.size());
    for (const QModelIndex &row : rows)
        lines.append(row.data(Qt::DisplayRole).toString());
    return lines.join(QLatin1Char('\n'));
}

void TrafficLogView::copySelection()
{
    if (!selectionModel()->hasSelection())
        return;
    QGuiApplication::clipboard()->setText(selectedText());
}

void TrafficLogView::keyPressEvent(QKeyEvent *event)
{
    // The list's own copy takes the current line only.
    if (event == QKeySequence::Copy) {
        copySelection();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}
