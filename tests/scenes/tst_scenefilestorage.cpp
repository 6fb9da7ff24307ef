#include "recordingerrorreporter.h"

#include "protocol/kvterror.h"
#include "scenes/scenefilestorage.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

// The scene file storage: paths, value conversions, binding, the Big5 file on
// disk, read-only files and failed writes.
class TestSceneFileStorage : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void resolvePath_data();
    void resolvePath();
    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void readBytes_data();
    void readBytes();
    void writes_data();
    void writes();

    void bindPath_data();
    void bindPath();
    void bindWritesOldFileFirst();
    void bindSameNameDoesNothing();
    void bindEmptyName();
    void flushCreatesMissingFolder();
    void foreignSectionsKeptInPlace();
    void flushKeepsPermissionsAndLinks();
    void badFiles_data();
    void badFiles();
    void unreadableFileIsNeverWritten();

    void readOnlyFile();
    void fileMadeReadOnlyAfterBinding();
    void unwritableFolder();
    void unencodableCharactersReported();

    void wholeImageRoundTripInBig5();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    static void writeFile(const QString &name, const QByteArray &bytes);
    static QByteArray readFile(const QString &name);
    // A storage whose image holds one entry with the given raw value.
    SceneFileStorage *storageWith(const QString &path, const QString &value);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SceneFileStorage> m_storage;
    RecordingErrorReporter m_reporter;
};

void TestSceneFileStorage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_reporter.clear();
    m_storage = std::make_unique<SceneFileStorage>(m_dir->path(), m_reporter);
}

void TestSceneFileStorage::writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestSceneFileStorage::readFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

SceneFileStorage *TestSceneFileStorage::storageWith(const QString &entryPath, const QString &value)
{
    const SceneFileStorage::EntryPath at = SceneFileStorage::resolvePath(entryPath);
    IniImage image;
    image.setValue(at.section, at.entry, value);
    m_storage->setImage(image);
    return m_storage.get();
}

void TestSceneFileStorage::resolvePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("entry");

    QTest::addRow("absolute key entry") << "\\RawData\\Key1\\Board1" << "Form1"
                                        << "RawData\\Key1" << "Board1";
    QTest::addRow("absolute dimmer entry") << "\\RawData\\Key62\\Dimmer2\\Time4" << "Form1"
                                           << "RawData\\Key62\\Dimmer2" << "Time4";
    QTest::addRow("relative to the main window") << "FormVersion" << "Form1"
                                                 << "Form1" << "FormVersion";
    QTest::addRow("relative to the dialog") << "jvedPort_Text" << "frmCommSetup"
                                            << "frmCommSetup" << "jvedPort_Text";
    QTest::addRow("relative with a sub-section") << "Sub\\Entry" << "Form1"
                                                 << "Form1\\Sub" << "Entry";
    QTest::addRow("repeated separators count as one") << "\\\\6key1\\\\\\key2\\\\Loop" << ""
                                                      << "6key1\\key2" << "Loop";
    QTest::addRow("form name with a trailing separator") << "X" << "Form1\\"
                                                         << "Form1" << "X";
    QTest::addRow("relative without a form section") << "6Lights\\Circle3\\Title" << ""
                                                     << "6Lights\\Circle3" << "Title";
    QTest::addRow("absolute entry at the top") << "\\Top" << "Form1" << "" << "Top";
}

void TestSceneFileStorage::resolvePath()
{
    QFETCH(QString, path);
    QFETCH(QString, form);
    QFETCH(QString, section);
    QFETCH(QString, entry);
    const SceneFileStorage::EntryPath at = SceneFileStorage::resolvePath(path, form);
    QCOMPARE(at.section, section);
    QCOMPARE(at.entry, entry);
}

// Rows without a value leave the entry out; rows with an error expect that
// exact text and no change to the image.
void TestSceneFileStorage::readInteger_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("error");

    QTest::addRow("decimal") << QVariant("42") << 42 << "";
    QTest::addRow("negative") << QVariant("-15") << -15 << "";
    QTest::addRow("lowest int") << QVariant("-2147483648") << INT_MIN << "";
    QTest::addRow("empty reads 0") << QVariant("") << 0 << "";
    QTest::addRow("spaces around the number") << QVariant(" 5 ") << 5 << "";
    QTest::addRow("plus sign") << QVariant("+5") << 5 << "";
    QTest::addRow("missing gives the default") << QVariant() << 7 << "";
    QTest::addRow("letters")
        << QVariant("abc") << 0
        << "'abc' is not a valid integer value (section RawData\\Key1\\Dimmer1, entry Time1)";
    QTest::addRow("digits then letters")
        << QVariant("12a") << 0
        << "'12a' is not a valid integer value (section RawData\\Key1\\Dimmer1, entry Time1)";
    QTest::addRow("beyond int")
        << QVariant("2147483648") << 0
        << "'2147483648' is not a valid integer value (section RawData\\Key1\\Dimmer1, entry Time1)";
    QTest::addRow("hex prefix is no decimal")
        << QVariant("0x10") << 0
        << "'0x10' is not a valid integer value (section RawData\\Key1\\Dimmer1, entry Time1)";
}

void TestSceneFileStorage::readInteger()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QFETCH(QString, error);

    const QString entry = QStringLiteral("\\RawData\\Key1\\Dimmer1\\Time1");
    SceneFileStorage *storage = storageWith(QStringLiteral("\\RawData\\Key1\\Dimmer1\\Time0"),
                                            QStringLiteral("1"));
    if (value.isValid())
        storage->writeText(entry, value.toString());
    const QString before = storage->image().serialize();
    try {
        const int got = storage->readInteger(entry, 7, QStringLiteral("Form1"));
        QVERIFY2(error.isEmpty(), "a conversion error was expected");
        QCOMPARE(got, expected);
    } catch (const KvtError &e) {
        QCOMPARE(e.text(), error);
    }
    QCOMPARE(storage->image().serialize(), before);
}

void TestSceneFileStorage::readBool_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("error");

    const QString abc =
        QStringLiteral("'abc' is not a valid boolean value (section 6key1\\key1, entry Loop)");
    QTest::addRow("TRUE") << QVariant("TRUE") << false << true << "";
    QTest::addRow("true") << QVariant("true") << false << true << "";
    QTest::addRow("yes") << QVariant("yes") << false << true << "";
    QTest::addRow("Y") << QVariant("Y") << false << true << "";
    QTest::addRow("FALSE") << QVariant("FALSE") << true << false << "";
    QTest::addRow("No") << QVariant("No") << true << false << "";
    QTest::addRow("n") << QVariant("n") << true << false << "";
    QTest::addRow("0 is false") << QVariant("0") << true << false << "";
    QTest::addRow("1 is true") << QVariant("1") << false << true << "";
    QTest::addRow("-1 is true") << QVariant("-1") << false << true << "";
    QTest::addRow("empty is false") << QVariant("") << true << false << "";
    QTest::addRow("missing gives default true") << QVariant() << true << true << "";
    QTest::addRow("missing gives default false") << QVariant() << false << false << "";
    QTest::addRow("word") << QVariant("abc") << false << false << abc;
    QTest::addRow("listed word with more letters")
        << QVariant("yess") << false << false
        << "'yess' is not a valid boolean value (section 6key1\\key1, entry Loop)";
}

void TestSceneFileStorage::readBool()
{
    QFETCH(QVariant, value);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    QFETCH(QString, error);

    const QString entry = QStringLiteral("\\6key1\\key1\\Loop");
    SceneFileStorage *storage =
        storageWith(QStringLiteral("\\6key1\\key1\\Stop"), QStringLiteral("FALSE"));
    if (value.isValid())
        storage->writeText(entry, value.toString());
    const QString before = storage->image().serialize();
    try {
        const bool got = storage->readBool(entry, defaultValue);
        QVERIFY2(error.isEmpty(), "a conversion error was expected");
        QCOMPARE(got, expected);
    } catch (const KvtError &e) {
        QCOMPARE(e.text(), error);
    }
    QCOMPARE(storage->image().serialize(), before);
}

void TestSceneFileStorage::readBytes_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray board = QByteArray::fromHex("8101810081008180");
    QTest::addRow("board data") << QVariant("8101810081008180") << board;
    QTest::addRow("odd last digit ignored") << QVariant("8101810081008180F") << board;
    QTest::addRow("lower-case digits") << QVariant("abcdef01") << QByteArray::fromHex("abcdef01");
    QTest::addRow("non-digits count 0") << QVariant("zz") << QByteArray(1, '\0');
    QTest::addRow("a space counts 0") << QVariant("81 01") << QByteArray::fromHex("8100");
    QTest::addRow("single digit is nothing") << QVariant("8") << QByteArray();
    QTest::addRow("empty value is empty data") << QVariant("") << QByteArray();
    QTest::addRow("missing gives the default") << QVariant() << QByteArray("\x12", 1);
}

void TestSceneFileStorage::readBytes()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, expected);

    const QString entry = QStringLiteral("\\RawData\\Key1\\Board1");
    SceneFileStorage *storage = storageWith(QStringLiteral("\\RawData\\Key1\\Board2"), QString());
    if (value.isValid())
        storage->writeText(entry, value.toString());
    QCOMPARE(storage->readBytes(entry, QByteArray("\x12", 1)), expected);
}

void TestSceneFileStorage::writes_data()
{
    QTest::addColumn<int>("kind"); // 0 integer, 1 boolean, 2 bytes
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("written");

    QTest::addRow("integer") << 0 << QVariant(1234) << "1234";
    QTest::addRow("negative integer") << 0 << QVariant(-5) << "-5";
    QTest::addRow("true") << 1 << QVariant(true) << "TRUE";
    QTest::addRow("false") << 1 << QVariant(false) << "FALSE";
    QTest::addRow("bytes upper case, no separator")
        << 2 << QVariant(QByteArray::fromHex("8101810081008180ab00")) << "8101810081008180AB00";
    QTest::addRow("empty bytes") << 2 << QVariant(QByteArray()) << "";
}

void TestSceneFileStorage::writes()
{
    QFETCH(int, kind);
    QFETCH(QVariant, value);
    QFETCH(QString, written);

    const QString entry = QStringLiteral("Value");
    const QString form = QStringLiteral("Form1");
    if (kind == 0)
        m_storage->writeInteger(entry, value.toInt(), form);
    else if (kind == 1)
        m_storage->writeBool(entry, value.toBool(), form);
    else
        m_storage->writeBytes(entry, value.toByteArray(), form);
    QCOMPARE(m_storage->image().value(form, entry), std::optional<QString>(written));
}

// "@P" stands for the program folder, "@C" for the current folder, "@A" for
// another absolute folder.
void TestSceneFileStorage::bindPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QString>("full");

    QTest::addRow("default in the program folder") << "kvt.ini" << "kvt.ini" << "@P/kvt.ini";
    QTest::addRow("bare name gets .ini") << "room" << "room.ini" << "@P/room.ini";
    QTest::addRow("scene file keeps its extension") << "room.kvt" << "room.kvt" << "@P/room.kvt";
    QTest::addRow("absolute path used as given") << "@A/room.kvt" << "@A/room.kvt"
                                                 << "@A/room.kvt";
    QTest::addRow("absolute path gets .ini") << "@A/room" << "@A/room.ini" << "@A/room.ini";
    QTest::addRow("dot in a folder is no extension") << "@A/v1.2/room" << "@A/v1.2/room.ini"
                                                     << "@A/v1.2/room.ini";
    QTest::addRow("relative path with a folder") << "sub/room.kvt" << "sub/room.kvt"
                                                 << "@C/sub/room.kvt";
    QTest::addRow("empty name binds no file") << "" << "" << "";
}

void TestSceneFileStorage::bindPath()
{
    QFETCH(QString, name);
    QFETCH(QString, bound);
    QFETCH(QString, full);

    QTemporaryDir other;
    const auto expand = [&](QString text) {
        return text.replace("@P", m_dir->path())
            .replace("@C", QDir::currentPath())
            .replace("@A", other.path());
    };
    m_storage->bind(expand(name));
    QCOMPARE(m_storage->boundName(), expand(bound));
    QCOMPARE(m_storage->fullFileName(), expand(full));
    QVERIFY(!m_storage->isReadOnly());
    QVERIFY(m_reporter.errors().isEmpty());
}

// The old file receives the image as it stood, then the new file is loaded.
void TestSceneFileStorage::bindWritesOldFileFirst()
{
    writeFile(path("old.kvt"), "[frmCommSetup]\r\njvedPort_Text=4444\r\n");
    writeFile(path("new.kvt"), "[RawData\\Key1]\r\nBoard1=FF\r\n");
    m_storage->bind(path("old.kvt"));
    m_storage->writeText(QStringLiteral("jvedPort_Text"), QStringLiteral("5000"),
                         QStringLiteral("frmCommSetup"));
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));

    m_storage->bind(path("new.kvt"));

    QCOMPARE(readFile(path("old.kvt")),
             QByteArray("[frmCommSetup]\r\njvedPort_Text=5000\r\n\r\n"
                        "[Form1]\r\nFormVersion=0\r\n\r\n"));
    QCOMPARE(readFile(path("new.kvt")), QByteArray("[RawData\\Key1]\r\nBoard1=FF\r\n"));
    QCOMPARE(m_storage->image().sectionNames(), QStringList{"RawData\\Key1"});
    QCOMPARE(m_storage->readBytes(QStringLiteral("\\RawData\\Key1\\Board1")),
             QByteArray("\xFF", 1));
    QVERIFY(m_reporter.errors().isEmpty());
}

// The same name (also once ".ini" is added) neither writes nor reloads.
void TestSceneFileStorage::bindSameNameDoesNothing()
{
    writeFile(path("room.ini"), "[S]\r\nA=1\r\n");
    m_storage->bind(QStringLiteral("room"));
    m_storage->writeText(QStringLiteral("\\S\\A"), QStringLiteral("2"));
    writeFile(path("room.ini"), "[S]\r\nA=3\r\n");

    m_storage->bind(QStringLiteral("room.ini"));
    m_storage->bind(QStringLiteral("room"));

    QCOMPARE(m_storage->readText(QStringLiteral("\\S\\A"), QString()), QStringLiteral("2"));
    QCOMPARE(readFile(path("room.ini")), QByteArray("[S]\r\nA=3\r\n"));

    // A different spelling is a different name: the image goes to the file.
    m_storage->bind(QStringLiteral("ROOM.ini"));
    QCOMPARE(readFile(path("room.ini")), QByteArray("[S]\r\nA=2\r\n\r\n"));
}

void TestSceneFileStorage::bindEmptyName()
{
    writeFile(path("kvt.ini"), "[Form1]\r\nFormVersion=0\r\n");
    m_storage->bind(QString::fromLatin1(SceneFileStorage::kDefaultFileName));
    QVERIFY(!m_storage->image().isEmpty());
    m_storage->writeInteger(QStringLiteral("FormVersion"), 3, QStringLiteral("Form1"));

    m_storage->bind(QString());

    QVERIFY(m_storage->image().isEmpty());
    QCOMPARE(m_storage->fullFileName(), QString());
    QCOMPARE(readFile(path("kvt.ini")), QByteArray("[Form1]\r\nFormVersion=3\r\n\r\n"));
    QVERIFY(!m_storage->flush());
    QVERIFY(m_reporter.errors().isEmpty());
}

void TestSceneFileStorage::flushCreatesMissingFolder()
{
    const QString file = path("new/deeper/room.kvt");
    m_storage->bind(file);
    QVERIFY(m_storage->image().isEmpty());
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    QVERIFY(m_storage->flush());
    QCOMPARE(readFile(file), QByteArray("[Form1]\r\nFormVersion=0\r\n\r\n"));
    // The temporary file was renamed, not left behind.
    QCOMPARE(QDir(path("new/deeper")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"room.kvt"});
}

// Sections the program does not write survive a load and a save in place;
// entries it writes take their new values where they stood.
void TestSceneFileStorage::foreignSectionsKeptInPlace()
{
    writeFile(path("room.kvt"), "; written by hand\r\n"
                                "[Vendor]\r\nSerial=A-17\r\n\r\n"
                                "[rawdata\\key1]\r\nboard1=00\r\nNote=keep\r\n\r\n"
                                "[Other]\nX=1\n");
    m_storage->bind(path("room.kvt"));
    QCOMPARE(m_storage->readBytes(QStringLiteral("\\RawData\\Key1\\Board1")), QByteArray(1, 0));
    m_storage->writeBytes(QStringLiteral("\\RawData\\Key1\\Board1"),
                          QByteArray::fromHex("8101810081008180"));
    m_storage->writeBytes(QStringLiteral("\\RawData\\Key1\\Board2"), QByteArray::fromHex("01"));
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    QVERIFY(m_storage->flush());

    QCOMPARE(readFile(path("room.kvt")),
             QByteArray("[Vendor]\r\nSerial=A-17\r\n\r\n"
                        "[rawdata\\key1]\r\nboard1=8101810081008180\r\nNote=keep\r\nBoard2=01\r\n\r\n"
                        "[Other]\r\nX=1\r\n\r\n"
                        "[Form1]\r\nFormVersion=0\r\n\r\n"));
}

// The rename must not leave the scene file with other permissions, nor
// replace a link to it by a plain file.
void TestSceneFileStorage::flushKeepsPermissionsAndLinks()
{
    writeFile(path("shared.kvt"), "[S]\r\nA=1\r\n");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                             | QFile::WriteGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(path("shared.kvt"), permissions));
    QVERIFY(QFile::link(path("shared.kvt"), path("link.kvt")));

    m_storage->bind(path("link.kvt"));
    m_storage->writeText(QStringLiteral("\\S\\A"), QStringLiteral("2"));
    QVERIFY(m_storage->flush());

    QVERIFY(QFileInfo(path("link.kvt")).isSymLink());
    QCOMPARE(readFile(path("shared.kvt")), QByteArray("[S]\r\nA=2\r\n\r\n"));
    QCOMPARE(QFile::permissions(path("shared.kvt")) & ~(QFile::ReadUser | QFile::WriteUser),
             permissions);
}

void TestSceneFileStorage::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("valueLength"); // -1: not found

    QRandomGenerator random(20261209);
    QByteArray noise(256 * 1024, '\0');
    for (char &byte : noise)
        byte = char(random.bounded(256));

    const QByteArray huge(10 * 1024 * 1024, 'x');
    QTest::addRow("empty file") << QByteArray() << "S" << "A" << -1;
    QTest::addRow("random bytes") << noise << "S" << "A" << -1;
    QTest::addRow("random bytes after a section") << QByteArray("[S]\r\n") + noise + "\r\nA=1"
                                                  << "S" << "A" << 1;
    QTest::addRow("10 MB value") << QByteArray("[S]\r\nA=") + huge + "\r\n" << "S" << "A"
                                 << int(huge.size());
    QTest::addRow("10 MB line without =") << QByteArray("[S]\r\n") + huge + "\r\nA=12\r\n"
                                          << "S" << "A" << 2;
    QTest::addRow("NUL bytes") << QByteArray("[S]\r\nA=a\0b\r\n", 11) << "S" << "A" << 3;
    QTest::addRow("brackets only") << QByteArray("[\r\n]\r\n[[]\r\nA=1\r\n") << "[" << "A" << 1;
}

// Whatever the file holds: it loads, and what the storage then writes reads
// back as the same image.
void TestSceneFileStorage::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, section);
    QFETCH(QString, entry);
    QFETCH(int, valueLength);

    writeFile(path("bad.kvt"), bytes);
    m_storage->bind(path("bad.kvt"));
    const std::optional<QString> value = m_storage->image().value(section, entry);
    QCOMPARE(value ? int(value->size()) : -1, valueLength);

    QVERIFY(m_storage->flush());
    const QString written = m_storage->image().serialize();
    m_storage->load();
    const QString reread = m_storage->image().serialize();
    // Characters Big5 cannot hold were written as '?'.
    QCOMPARE(reread.size(), written.size());
    m_storage->flush();
    m_storage->load();
    QCOMPARE(m_storage->image().serialize(), reread);
}

// A folder where the file should be cannot be read: the bind raises an error
// naming the path, and the storage never writes over it.
void TestSceneFileStorage::unreadableFileIsNeverWritten()
{
    QVERIFY(QDir(m_dir->path()).mkdir("room.kvt"));
    try {
        m_storage->bind(path("room.kvt"));
        QFAIL("reading a folder as the scene file must fail");
    } catch (const KvtError &e) {
        QVERIFY2(e.text().contains(path("room.kvt")), qPrintable(e.text()));
    }
    QVERIFY(m_storage->isReadOnly());
    QVERIFY(m_storage->image().isEmpty());
    QVERIFY(!m_storage->flush());
    QVERIFY(QFileInfo(path("room.kvt")).isDir());
}

void TestSceneFileStorage::readOnlyFile()
{
    const QByteArray original("[6key1\\key1]\r\nLoop=TRUE\r\n");
    writeFile(path("locked.kvt"), original);
    QVERIFY(QFile::setPermissions(path("locked.kvt"), QFile::ReadOwner | QFile::ReadGroup
                                                          | QFile::ReadOther));
    m_storage->bind(path("locked.kvt"));
    QVERIFY(m_storage->isReadOnly());
    QCOMPARE(m_storage->readBool(QStringLiteral("\\6key1\\key1\\Loop"), false), true);

    m_storage->writeBool(QStringLiteral("\\6key1\\key1\\Loop"), false);
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    QCOMPARE(m_storage->readBool(QStringLiteral("\\6key1\\key1\\Loop"), false), true);
    QVERIFY(!m_storage->image().hasSection(QStringLiteral("Form1")));

    QVERIFY(!m_storage->flush());
    QCOMPARE(m_reporter.errors().size(), 1);
    QVERIFY2(m_reporter.errors().first().contains(path("locked.kvt"))
                 && m_reporter.errors().first().contains("read-only"),
             qPrintable(m_reporter.errors().first()));
    QCOMPARE(readFile(path("locked.kvt")), original);

    // Leaving a read-only file writes nothing and says nothing.
    m_reporter.clear();
    m_storage->bind(path("other.kvt"));
    QVERIFY(!m_storage->isReadOnly());
    QVERIFY(m_reporter.errors().isEmpty());
    QCOMPARE(readFile(path("locked.kvt")), original);
}

void TestSceneFileStorage::fileMadeReadOnlyAfterBinding()
{
    const QByteArray original("[S]\r\nA=1\r\n");
    writeFile(path("room.kvt"), original);
    m_storage->bind(path("room.kvt"));
    m_storage->writeText(QStringLiteral("\\S\\A"), QStringLiteral("2"));
    QVERIFY(QFile::setPermissions(path("room.kvt"), QFile::ReadOwner));

    QVERIFY(!m_storage->flush());
    QCOMPARE(m_reporter.errors().size(), 1);
    QVERIFY(m_reporter.errors().first().contains(path("room.kvt")));
    QCOMPARE(readFile(path("room.kvt")), original);
}

// A plain file where the folder should be: neither root nor anyone else can
// write there.
void TestSceneFileStorage::unwritableFolder()
{
    writeFile(path("blocker"), "not a folder");
    const QString file = path("blocker/room.kvt");
    m_storage->bind(file);
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));

    QVERIFY(!m_storage->flush());
    QCOMPARE(m_reporter.errors().size(), 1);
    QVERIFY2(m_reporter.errors().first().contains(file), qPrintable(m_reporter.errors().first()));
    QCOMPARE(readFile(path("blocker")), QByteArray("not a folder"));

    // Leaving the file reports the failed write once more and binds anyway.
    m_storage->bind(path("room.kvt"));
    QCOMPARE(m_reporter.errors().size(), 2);
    QCOMPARE(m_storage->fullFileName(), path("room.kvt"));

    if (geteuid() == 0)
        return; // permission bits on a folder do not stop root
    QVERIFY(QDir(m_dir->path()).mkdir("closed"));
    QVERIFY(QFile::setPermissions(path("closed"), QFile::ReadOwner | QFile::ExeOwner));
    m_storage->bind(path("closed/room.kvt"));
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    QVERIFY(!m_storage->flush());
    QVERIFY(m_reporter.errors().last().contains(path("closed/room.kvt")));
}

void TestSceneFileStorage::unencodableCharactersReported()
{
    m_storage->bind(path("room.kvt"));
    m_storage->writeText(QStringLiteral("\\6key1\\key1\\Caption"),
                         QString::fromUtf8("燈\xF0\x9F\x98\x80"));
    QVERIFY(m_storage->flush());
    QCOMPARE(m_reporter.errors().size(), 1);
    QVERIFY(m_reporter.errors().first().contains(path("room.kvt")));
    QCOMPARE(readFile(path("room.kvt")),
             QByteArray("[6key1\\key1]\r\nCaption=\xBF\x4F?\r\n\r\n"));
}

// A whole scene image goes to the disk and back. The expected bytes are built
// here without the storage's encoders: hex by QByteArray::toHex, Chinese text
// as known Big5 bytes.
void TestSceneFileStorage::wholeImageRoundTripInBig5()
{
    const QString lights = QString::fromUtf8("燈光設定");
    const QByteArray lightsBig5 = QByteArray::fromHex("bf4fa5fab35da977");
    const QString chinese = QString::fromUtf8("中文");
    const QByteArray chineseBig5 = QByteArray::fromHex("a4a4a4e5");
    const auto boardData = [](int key, int slot) {
        QByteArray data;
        for (int i = 0; i < 8; ++i)
            data.append(char((key * 19 + slot) * 7 + i * 37));
        return data;
    };

    m_storage->bind(path("room.kvt"));
    QByteArray expected("[Form1]\r\nFormVersion=0\r\n\r\n");
    m_storage->writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    for (int key = 1; key <= 62; ++key) {
        expected += QByteArray("[RawData\\Key") + QByteArray::number(key) + "]\r\n";
        for (int slot = 1; slot <= 19; ++slot) {
            m_storage->writeBytes(QStringLiteral("\\RawData\\Key%1\\Board%2").arg(key).arg(slot),
                                  boardData(key, slot));
            expected += "Board" + QByteArray::number(slot) + "="
                        + boardData(key, slot).toHex().toUpper() + "\r\n";
        }
        for (int circuit = 1; circuit <= 6; ++circuit) {
            const QByteArray data = boardData(key, circuit).left(4);
            m_storage->writeBytes(
                QStringLiteral("\\RawData\\Key%1\\6Lights%2").arg(key).arg(circuit), data);
            expected += "6Lights" + QByteArray::number(circuit) + "=" + data.toHex().toUpper()
                        + "\r\n";
        }
        expected += "\r\n";
        for (int group = 1; group <= 2; ++group) {
            expected += "[RawData\\Key" + QByteArray::number(key) + "\\Dimmer"
                        + QByteArray::number(group) + "]\r\n";
            for (int t = 0; t <= 4; ++t) {
                const int level = t == 0 ? group - 1 : (key * t - 100);
                m_storage->writeInteger(
                    QStringLiteral("\\RawData\\Key%1\\Dimmer%2\\Time%3").arg(key).arg(group).arg(t),
                    level);
                expected += "Time" + QByteArray::number(t) + "=" + QByteArray::number(level)
                            + "\r\n";
            }
            expected += "\r\n";
        }
    }
    for (int panel = 1; panel <= 10; ++panel) {
        for (int button = 1; button <= 6; ++button) {
            const QString section = QStringLiteral("\\6key%1\\key%2\\").arg(panel).arg(button);
            const bool odd = (panel + button) % 2;
            m_storage->writeBool(section + "Loop", odd);
            m_storage->writeInteger(section + "QTValue", panel + button);
            m_storage->writeText(section + "Caption", odd ? lights : chinese);
            expected += "[6key" + QByteArray::number(panel) + "\\key" + QByteArray::number(button)
                        + "]\r\nLoop=" + (odd ? "TRUE" : "FALSE") + "\r\nQTValue="
                        + QByteArray::number(panel + button) + "\r\nCaption="
                        + (odd ? lightsBig5 : chineseBig5) + "\r\n\r\n";
        }
    }
    QVERIFY(m_storage->flush());
    QVERIFY(m_reporter.errors().isEmpty());
    const QByteArray written = readFile(path("room.kvt"));
    QCOMPARE(written, expected);

    SceneFileStorage reread(m_dir->path(), m_reporter);
    reread.bind(QStringLiteral("room.kvt"));
    QCOMPARE(reread.readBytes(QStringLiteral("\\RawData\\Key62\\Board19")), boardData(62, 19));
    QCOMPARE(reread.readInteger(QStringLiteral("\\RawData\\Key5\\Dimmer2\\Time3"), 99), -85);
    QCOMPARE(reread.readBool(QStringLiteral("\\6key10\\key1\\Loop"), false), true);
    QCOMPARE(reread.readText(QStringLiteral("\\6key10\\key1\\Caption"), QString()), lights);
    QCOMPARE(reread.readText(QStringLiteral("\\6key10\\key2\\Caption"), QString()), chinese);
    QCOMPARE(reread.image().serialize(), m_storage->image().serialize());

    reread.bind(path("copy.kvt"));
    reread.setImage(m_storage->image());
    QVERIFY(reread.flush());
    QCOMPARE(readFile(path("copy.kvt")), written);
}

QTEST_GUILESS_MAIN(TestSceneFileStorage)
#include "tst_scenefilestorage.moc"
