#include "app/trafficlogview.h"

#include "link/trafficlog.h"

#include <QFontDatabase>

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
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    connect(log, &TrafficLog::lineAppended, this, &TrafficLogView::selectRow);
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
