#include "scenes/scenefilestorage.h"

#include "link/errorreporter.h"
#include "protocol/hex.h"
#include "protocol/kvterror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QChar kSeparator = QLatin1Char('\\');

// Bytes the code page cannot map become U+FFFD (or a private-use character);
// reading never fails on content.
QString DecodeBig5(const QByteArray &bytes)
{
    QStringDecoder decoder("Big5");
    return decoder.decode(bytes);
}

// Characters Big5 cannot hold become '?'; *lossless tells whether any did.
QByteArray EncodeBig5(const QString &text, bool *lossless)
{
    QStringEncoder encoder("Big5");
    QByteArray bytes = encoder.encode(text);
    *lossless = !encoder.hasError();
    return bytes;
}

// Permission bits do not stop root, so a file without any write bit counts as
// read-only as well as one the process cannot write.
bool IsReadOnlyFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const auto writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & writeBits);
}

QString WithExtension(const QString &fileName)
{
    if (fileName.isEmpty() || QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        return fileName;
    return fileName + QStringLiteral(".ini");
}

} // namespace

SceneFileStorage::SceneFileStorage(const QString &programFolder, ErrorReporter &reporter)
    : m_programFolder(programFolder), m_reporter(reporter)
{
}

SceneFileStorage::EntryPath SceneFileStorage::resolvePath(const QString &path,
                                                          const QString &formSection)
{
    const QString full = path.startsWith(kSeparator) ? path : formSection + kSeparator + path;
    QString joined;
    joined.reserve(full.size());
    bool afterSeparator = false;
    for (const QChar c : full) {
        if (c == kSeparator) {
            if (afterSeparator)
                continue;
            afterSeparator = true;
        } else {
            afterSeparator = false;
        }
        joined += c;
    }
    if (joined.startsWith(kSeparator))
        joined.remove(0, 1);
    const qsizetype last = joined.lastIndexOf(kSeparator);
    if (last < 0)
        return {QString(), joined};
    return {joined.left(last), joined.mid(last + 1)};
}

void SceneFileStorage::bind(const QString &fileName)
{
    const QString name = WithExtension(fileName);
    if (name == m_boundName)
        return;
    // The previous file receives the image as it stood. A failure is reported
    // by flush() and the binding goes on: the old file is left intact.
    if (!m_fullFileName.isEmpty() && !m_readOnly)
        flush();
    m_boundName = name;
    if (name.isEmpty())
        m_fullFileName.clear();
    else if (name.contains(QLatin1Char('/')))
        m_fullFileName = QFileInfo(name).absoluteFilePath();
    else
        m_fullFileName = QDir(m_programFolder).absoluteFilePath(name);
    load();
}

void SceneFileStorage::load()
{
    m_image.clear();
    m_readOnly = false;
    if (m_fullFileName.isEmpty())
        return;
    m_readOnly = IsReadOnlyFile(m_fullFileName);
    if (!QFileInfo::exists(m_fullFileName))
        return;
    QFile file(m_fullFileName);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        // Whatever the file holds is unknown: never write over it.
        m_readOnly = true;
        throw KvtError(QStringLiteral("Cannot read the scene file %1: %2")
                           .arg(QDir::toNativeSeparators(m_fullFileName), file.errorString()));
    }
    m_image = IniImage::parse(DecodeBig5(bytes));
}

bool SceneFileStorage::flush()
{
    if (m_fullFileName.isEmpty())
        return false;
    const QString shown = QDir::toNativeSeparators(m_fullFileName);
    // The file may have been made read-only since it was bound.
    if (m_readOnly || IsReadOnlyFile(m_fullFileName)) {
        m_readOnly = true;
        m_reporter.report(
            QStringLiteral("The scene file %1 is read-only; nothing was written.").arg(shown));
        return false;
    }
    const QString folder = QFileInfo(m_fullFileName).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_reporter.report(QStringLiteral("Cannot write the scene file %1: cannot create the folder %2.")
                              .arg(shown, QDir::toNativeSeparators(folder)));
        return false;
    }
    bool lossless = true;
    const QByteArray bytes = EncodeBig5(m_image.serialize(), &lossless);
    // Temporary file in the same folder, renamed over the old one on commit:
    // a failure at any step leaves the old file as it was.
    QSaveFile file(m_fullFileName);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                         && file.commit();
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        m_reporter.report(
            QStringLiteral("Cannot write the scene file %1: %2").arg(shown, reason));
        return false;
    }
    if (!lossless)
        m_reporter.report(QStringLiteral("The scene file %1 was written, but characters that "
                                         "Big5 cannot hold were stored as '?'.")
                              .arg(shown));
    return true;
}

std::optional<QString> SceneFileStorage::rawValue(const EntryPath &at) const
{
    return m_image.value(at.section, at.entry);
}

bool SceneFileStorage::hasEntry(const QString &path, const QString &formSection) const
{
    return rawValue(resolvePath(path, formSection)).has_value();
}

QString SceneFileStorage::readText(const QString &path, const QString &defaultValue,
                                   const QString &formSection) const
{
    return rawValue(resolvePath(path, formSection)).value_or(defaultValue);
}

int SceneFileStorage::readInteger(const QString &path, int defaultValue,
                                  const QString &formSection) const
{
    const EntryPath at = resolvePath(path, formSection);
    const std::optional<QString> text = rawValue(at);
    if (!text)
        return defaultValue;
    if (text->isEmpty())
        return 0;
    bool ok = false;
    const int value = text->toInt(&ok, 10);
    if (!ok)
        throw KvtError(QStringLiteral("'%1' is not a valid integer value (section %2, entry %3)")
                           .arg(*text, at.section, at.entry));
    return value;
}

bool SceneFileStorage::readBool(const QString &path, bool defaultValue,
                                const QString &formSection) const
{
    const EntryPath at = resolvePath(path, formSection);
    const std::optional<QString> text = rawValue(at);
    if (!text)
        return defaultValue;
    if (text->isEmpty())
        return false;
    const QString word = text->toUpper();
    if (word == QLatin1String("TRUE") || word == QLatin1String("YES") || word == QLatin1String("Y"))
        return true;
    if (word == QLatin1String("FALSE") || word == QLatin1String("NO") || word == QLatin1String("N"))
        return false;
    bool ok = false;
    const qlonglong number = text->toLongLong(&ok, 10);
    if (!ok)
        throw KvtError(QStringLiteral("'%1' is not a valid boolean value (section %2, entry %3)")
                           .arg(*text, at.section, at.entry));
    return number != 0;
}

QByteArray SceneFileStorage::readBytes(const QString &path, const QByteArray &defaultValue,
                                       const QString &formSection) const
{
    const std::optional<QString> text = rawValue(resolvePath(path, formSection));
    return text ? HexToBytes(*text) : defaultValue;
}

void SceneFileStorage::writeText(const QString &path, const QString &value,
                                 const QString &formSection)
{
    if (m_readOnly)
        return;
    const EntryPath at = resolvePath(path, formSection);
    m_image.setValue(at.section, at.entry, value);
}

void SceneFileStorage::writeInteger(const QString &path, int value, const QString &formSection)
{
    writeText(path, QString::number(value), formSection);
}

void SceneFileStorage::writeBool(const QString &path, bool value, const QString &formSection)
{
    writeText(path, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), formSection);
}

void SceneFileStorage::writeBytes(const QString &path, const QByteArray &value,
                                  const QString &formSection)
{
    writeText(path, BytesToHex(value, QString()), formSection);
}
