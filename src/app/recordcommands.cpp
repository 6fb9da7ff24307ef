#include "app/recordcommands.h"

#include "link/busrecord.h"
#include "link/scopeguard.h"

#include <QDateTime>
#include <QDir>

RecordCommands::RecordCommands(Context context, std::unique_ptr<RecordFileDialog> dialog)
    : m_context(std::move(context)), m_ownDialog(std::move(dialog)), m_dialog(m_ownDialog.get())
{
}

RecordCommands::~RecordCommands() = default;

void RecordCommands::miSaveRecordClick()
{
    // Reached again while its dialog is up (the dialog lets events run):
    // the first save is still being chosen.
    if (m_saving || !m_dialog)
        return;
    const CommandRunning running(m_saving, m_context.setEnabled);
    const std::optional<QString> chosen = m_dialog->saveRecordFile(startName(m_context.record.now()));
    if (!chosen || chosen->isEmpty())
        return;
    // Written in one go without letting events run, so no line arrives
    // half way; lines logged while the dialog was up are included.
    m_context.record.saveTo(*chosen);
    if (m_context.notify)
        m_context.notify(savedNotice(*chosen, m_context.record.savedLineCount()));
}

QString RecordCommands::startName(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch)
        .toString(QStringLiteral("'kvt-record-'yyyyMMdd-HHmmss'.txt'"));
}

QString RecordCommands::savedNotice(const QString &path, int lines)
{
    return QStringLiteral("記錄已儲存：%1（%2 行）").arg(QDir::toNativeSeparators(path)).arg(lines);
}
