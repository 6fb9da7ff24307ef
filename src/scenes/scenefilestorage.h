#pragma once

#include "scenes/iniimage.h"

#include <QByteArray>
#include <QString>
#include <optional>

class ErrorReporter;

// The scene file storage: an INI image bound to one file, read and written by
// "\"-separated paths. Only load() and flush() touch the disk. The file is Big5
// with CR LF line ends.
//
// Paths: the text after the last "\" is the entry name, the rest the section.
// A path that begins with "\" is absolute; any other is relative to the form
// section passed in (e.g. "Form1", "frmCommSetup"). Repeated "\" count as one.
//
// Reads take a default for a missing entry. A value that does not convert
// raises KvtError naming the section, the entry and the value; a read never
// changes anything, so callers can load all-or-nothing.
class SceneFileStorage
{
public:
    // The file the program binds at start-up, in the program folder.
    static constexpr char kDefaultFileName[] = "kvt.ini";

    // A path split into the section and the entry it addresses.
    struct EntryPath
    {
        QString section;
        QString entry;
    };
    static EntryPath resolvePath(const QString &path, const QString &formSection = QString());

    // programFolder holds the default "kvt.ini"; errors of writes go to reporter.
    // Nothing is bound and the disk is not touched until the first bind().
    SceneFileStorage(const QString &programFolder, ErrorReporter &reporter);

    // Binds a new name when it differs (case-sensitive) from the bound one: the
    // image is first written to the previously bound file (unless read-only),
    // then the new name is bound (".ini" added when it has no extension; a bare
    // name lives in the program folder, a name with a '/' is a path and is used
    // as given, a relative one from the current folder) and loaded. A failed
    // write of the previous file is reported and the binding goes on. The compare is made after ".ini" is added. An empty name binds no file
    // and empties the image. Raises KvtError when the new file cannot be read.
    void bind(const QString &fileName);
    QString boundName() const { return m_boundName; }
    // The path that is read and written; empty when no file is bound.
    QString fullFileName() const { return m_fullFileName; }
    // The bound file exists and cannot be written (or could not be read: a file
    // the program could not read is never written over).
    bool isReadOnly() const { return m_readOnly; }

    // Replaces the image by the file's contents (empty when it does not exist
    // or no file is bound). A file that exists but cannot be read raises
    // KvtError with the path and the reason; the image is then empty and the
    // storage read-only.
    void load();
    // Writes the image to the bound file atomically (temporary file + rename).
    // Read-only files and failures are reported with the path and the reason;
    // returns false then, and the old file is left as it was. A missing folder
    // is created. Returns false without a report when no file is bound.
    // Characters that Big5 cannot hold are written as '?' and reported.
    bool flush();

    IniImage &image() { return m_image; }
    const IniImage &image() const { return m_image; }
    void setImage(const IniImage &image) { m_image = image; }

    bool hasEntry(const QString &path, const QString &formSection = QString()) const;
    QString readText(const QString &path, const QString &defaultValue,
                     const QString &formSection = QString()) const;
    int readInteger(const QString &path, int defaultValue,
                    const QString &formSection = QString()) const;
    bool readBool(const QString &path, bool defaultValue,
                  const QString &formSection = QString()) const;
    // Integers are decimal (an empty value reads 0). Booleans read "TRUE",
    // "YES", "Y", "FALSE", "NO", "N" in any case, or a decimal integer (true
    // unless 0); an empty value reads false.
    // Hex byte string (two digits a byte; see HexToBytes).
    QByteArray readBytes(const QString &path, const QByteArray &defaultValue = QByteArray(),
                         const QString &formSection = QString()) const;

    // Writes into the image (ignored while read-only).
    void writeText(const QString &path, const QString &value,
                   const QString &formSection = QString());
    void writeInteger(const QString &path, int value, const QString &formSection = QString());
    void writeBool(const QString &path, bool value, const QString &formSection = QString());
    void writeBytes(const QString &path, const QByteArray &value,
                    const QString &formSection = QString());

private:
    std::optional<QString> rawValue(const EntryPath &at) const;

    QString m_programFolder;
    ErrorReporter &m_reporter;
    QString m_boundName;
    QString m_fullFileName;
    bool m_readOnly = false;
    IniImage m_image;
};
