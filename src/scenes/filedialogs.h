#pragma once

#include <QString>
#include <optional>

// The open and save dialogs of the file menu. The program shows real dialogs;
// tests answer with names of their own.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The scene file to open (it need not exist), or nothing when cancelled.
    virtual std::optional<QString> openSceneFile() = 0;
    // The file to save into, or nothing when cancelled. startName is the name
    // the dialog offers first (the file the storage is bound to).
    virtual std::optional<QString> saveSceneFile(const QString &startName) = 0;
};
