#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class BusRecord;
class ErrorReporter;

// The save dialog of "儲存記錄…". The program shows a real dialog; tests
// answer with names of their own.
class RecordFileDialog
{
public:
    virtual ~RecordFileDialog() = default;
    // The file to save the bus record into, or nothing when cancelled.
    // startName is the name the dialog offers first.
    virtual std::optional<QString> saveRecordFile(const QString &startName) = 0;
};

// "儲存記錄…" (miSaveRecord): saves the whole bus record into a file the
// user chooses. A save that fails raises the error with the path and the
// reason and leaves both the record and the file on the disk as they were.
class RecordCommands
{
public:
    struct Context
    {
        BusRecord &record;
        // Enables or disables "儲存記錄…" while its dialog is up.
        std::function<void(bool enabled)> setEnabled;
        // Shows what was saved in the status bar.
        std::function<void(const QString &text)> notify;
    };

    RecordCommands(Context context, std::unique_ptr<RecordFileDialog> dialog);
    ~RecordCommands();

    void miSaveRecordClick();

    // Replaces the dialog (tests); the commands do not own it.
    void setFileDialog(RecordFileDialog &dialog) { m_dialog = &dialog; }

    // "kvt-record-20261210-043107.txt" for the local time given.
    static QString startName(qint64 msecsSinceEpoch);
    // "記錄已儲存：<path>（N 行）"
    static QString savedNotice(const QString &path, int lines);

private:
    Context m_context;
    std::unique_ptr<RecordFileDialog> m_ownDialog;
    RecordFileDialog *m_dialog;
    bool m_saving = false;
};
