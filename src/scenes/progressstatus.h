#pragma once

#include <QString>

// Where a long command shows what it is doing and how far it has come, e.g.
// "讀全部 12/62" in the main window's status bar.
class ProgressStatus
{
public:
    virtual ~ProgressStatus() = default;
    virtual void showProgress(const QString &command, int done, int total) = 0;
    virtual void clearProgress() = 0;
    // What a bus command ended with ("讀全部：124/124 已回覆"), kept until
    // the next command's summary.
    virtual void showSummary(const QString &text) = 0;
};
