#pragma once

#include "scenes/filedialogs.h"

#include <QHash>
#include <QString>

// The save dialog answers with one file; the open dialog is never wanted.
class SaveAs : public FileDialogs
{
public:
    explicit SaveAs(QString file) : m_file(std::move(file)) {}
    std::optional<QString> openSceneFile() override { return std::nullopt; }
    std::optional<QString> saveSceneFile(const QString &) override { return m_file; }

private:
    QString m_file;
};

// The entries of a saved scene file by section ("RawData\Key3" -> "Board1"
// -> value), read from its text ("[section]" and "entry=value" lines), apart
// from the program's own INI code. Meant for entries in plain ASCII, such as
// the key data; empty when the file cannot be read.
using SceneFileEntries = QHash<QString, QHash<QString, QString>>;
SceneFileEntries ReadSceneFileText(const QString &path);
