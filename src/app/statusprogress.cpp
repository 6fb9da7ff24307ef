#include "app/statusprogress.h"

#include "link/busrecord.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

StatusProgress::StatusProgress(QStatusBar *bar, BusRecord *record) : m_record(record)
{
    m_label = new QLabel(bar);
    m_label->setObjectName(QStringLiteral("lbProgress"));
    m_bar = new QProgressBar(bar);
    m_bar->setObjectName(QStringLiteral("pbProgress"));
    m_bar->setMaximumWidth(160);
    m_bar->setMaximumHeight(14);
    m_bar->setTextVisible(false);
    m_bar->hide();
    m_summary = new QLabel(bar);
    m_summary->setObjectName(QStringLiteral("lbSummary"));
    bar->addWidget(m_label, 1);
    bar->addWidget(m_summary, 2);
    bar->addPermanentWidget(m_bar);
}

void StatusProgress::showProgress(const QString &command, int done, int total)
{
    m_label->setText(QStringLiteral("%1 %2/%3").arg(command).arg(done).arg(total));
    m_bar->setRange(0, total > 0 ? total : 0);
    m_bar->setValue(done);
    m_bar->show();
}

void StatusProgress::clearProgress()
{
    m_label->clear();
    m_bar->hide();
}

QString StatusProgress::text() const
{
    return m_label->text();
}

void StatusProgress::showSummary(const QString &text)
{
    m_summary->setText(text);
    // Into the record only: the list keeps its designed lines.
    if (m_record && !text.isEmpty())
        m_record->append(BusDirection::Note, text);
}

QString StatusProgress::summaryText() const
{
    return m_summary->text();
}
