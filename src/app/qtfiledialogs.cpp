#include "app/qtfiledialogs.h"

#include <QDir>
#include <QFileDialog>

// "*" is the whole of "所有檔案": on Linux "*.*" would leave out names
// without a dot.
const QString QtFileDialogs::kOpenFilter =
    QStringLiteral("燈光設定檔 (*.kvt);;通用設定檔 (*.ini);;所有檔案 (*)");
const QString QtFileDialogs::kSaveFilter = QStringLiteral("燈光設定檔 (*.kvt)");
const QString QtRecordFileDialog::kFilter = QStringLiteral("記錄檔 (*.txt);;所有檔案 (*)");

namespace {

void Prepare(QFileDialog &dialog, QFileDialog::AcceptMode mode, const QString &filter)
{
    dialog.setAcceptMode(mode);
    // The open dialog takes a name that does not exist (an empty scene file).
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    // The current folder, as an absolute path: the dialog then returns full
    // paths, which the caption shows and the storage binds.
    dialog.setDirectory(QDir::currentPath());
    dialog.setDefaultSuffix(QStringLiteral("kvt"));
}

std::optional<QString> Run(QFileDialog &dialog, const std::function<void(QDialog &)> &showModal)
{
    if (showModal)
        showModal(dialog);
    else
        dialog.exec();
    if (dialog.result() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

} // namespace

std::optional<QString> QtFileDialogs::run(QFileDialog &dialog) const
{
    return Run(dialog, m_showModal);
}

std::optional<QString> QtFileDialogs::openSceneFile()
{
    QFileDialog dialog(m_parent);
    Prepare(dialog, QFileDialog::AcceptOpen, kOpenFilter);
    return run(dialog);
}

std::optional<QString> QtFileDialogs::saveSceneFile(const QString &startName)
{
    QFileDialog dialog(m_parent);
    Prepare(dialog, QFileDialog::AcceptSave, kSaveFilter);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(startName);
    return run(dialog);
}

std::optional<QString> QtRecordFileDialog::saveRecordFile(const QString &startName)
{
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("dlgSaveRecord"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(kFilter);
    dialog.setDirectory(QDir::currentPath());
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(startName);
    return Run(dialog, m_showModal);
}
