#pragma once

#include "link/errorreporter.h"

#include <QPointer>
#include <QWidget>

// Shows a handler's error text in a modal message box, as the program's
// standard error handling. Tests use RecordingErrorReporter instead.
class MessageBoxErrorReporter : public ErrorReporter
{
public:
    explicit MessageBoxErrorReporter(QWidget *parent = nullptr,
                                     const QString &caption = QStringLiteral("燈光設定"));

    void report(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
    QString m_caption;
};
