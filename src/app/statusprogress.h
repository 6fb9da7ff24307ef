#pragma once

#include "scenes/progressstatus.h"

class BusRecord;
class QLabel;
class QProgressBar;
class QStatusBar;

// The status bar line of a long command: "讀全部 12/62" and a progress bar.
// Each summary shown also goes into the bus record as a note, so the saved
// record says what each command ended with.
class StatusProgress : public ProgressStatus
{
public:
    explicit StatusProgress(QStatusBar *bar, BusRecord *record = nullptr);

    void showProgress(const QString &command, int done, int total) override;
    void clearProgress() override;
    void showSummary(const QString &text) override;

    QString text() const;
    QString summaryText() const;

private:
    QLabel *m_label;
    QLabel *m_summary;
    QProgressBar *m_bar;
    BusRecord *m_record;
};
