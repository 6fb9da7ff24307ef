#pragma once

#include "app/recordcommands.h"
#include "scenes/filedialogs.h"

#include <functional>

class QDialog;
class QFileDialog;
class QWidget;

// The file menu's dialogs as real QFileDialogs, starting in the current folder
// and adding ".kvt" to a name typed without an extension.
class QtFileDialogs : public FileDialogs
{
public:
    // showModal runs the dialog until it closes (QDialog::exec when empty).
    explicit QtFileDialogs(QWidget *parent, std::function<void(QDialog &)> showModal = {})
        : m_parent(parent), m_showModal(std::move(showModal))
    {
    }

    // "燈光設定檔", "通用設定檔" and "所有檔案"; a name that does not exist is accepted.
    std::optional<QString> openSceneFile() override;
    // "燈光設定檔" only; an existing file is replaced without a question.
    std::optional<QString> saveSceneFile(const QString &startName) override;

    static const QString kOpenFilter;
    static const QString kSaveFilter;

private:
    std::optional<QString> run(QFileDialog &dialog) const;

    QWidget *m_parent;
    std::function<void(QDialog &)> m_showModal;
};

// The save dialog of "儲存記錄…" as a real QFileDialog in the current folder,
// adding ".txt" to a name typed without an extension; replacing an existing
// file is asked first.
class QtRecordFileDialog : public RecordFileDialog
{
public:
    explicit QtRecordFileDialog(QWidget *parent, std::function<void(QDialog &)> showModal = {})
        : m_parent(parent), m_showModal(std::move(showModal))
    {
    }

    // "記錄檔" (*.txt) and "所有檔案".
    std::optional<QString> saveRecordFile(const QString &startName) override;

    static const QString kFilter;

private:
    QWidget *m_parent;
    std::function<void(QDialog &)> m_showModal;
};
