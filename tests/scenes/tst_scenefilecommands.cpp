// The file menu through its real handlers, with the dialogs answered by the
// test, on real files in a temporary program folder.

#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "link/devicelink.h"
#include "panels/lightboard.h"
#include "scenes/filedialogs.h"
#include "scenes/keyswitch.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenefilestorage.h"
#include "scenes/storedsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTest>

namespace {

// Answers the dialogs as the test says and records what they were offered.
class ScriptedFileDialogs : public FileDialogs
{
public:
    std::optional<QString> openSceneFile() override
    {
        ++openCount;
        return openAnswer;
    }
    std::optional<QString> saveSceneFile(const QString &startName) override
    {
        saveStartNames.append(startName);
        return saveAnswer;
    }

    std::optional<QString> openAnswer;
    std::optional<QString> saveAnswer;
    int openCount = 0;
    QStringList saveStartNames;
};

// Stands in for a panel that keeps settings of its own in the file: a
// six-key button (Loop and Caption) or a circuit (Title).
class FakePanelSettings : public StoredSettings
{
public:
    FakePanelSettings(QString section, bool keepsLoop)
        : m_section(std::move(section)), m_keepsLoop(keepsLoop)
    {
    }

    void SaveSettings(SceneFileStorage &storage) override
    {
        if (m_keepsLoop)
            storage.writeBool(m_section + QStringLiteral("\\Loop"), loop);
        storage.writeText(m_section + textEntry(), text);
    }
    std::function<void()> ReadSettings(const SceneFileStorage &storage) const override
    {
        const bool newLoop = m_keepsLoop ? storage.readBool(m_section + QStringLiteral("\\Loop"), true) : loop;
        const QString newText = storage.readText(m_section + textEntry(), QString());
        auto *self = const_cast<FakePanelSettings *>(this);
        return [self, newLoop, newText] {
            self->loop = newLoop;
            self->text = newText;
        };
    }

    bool loop = true;
    QString text;

private:
    QString textEntry() const
    {
        return m_keepsLoop ? QStringLiteral("\\Caption") : QStringLiteral("\\Title");
    }

    QString m_section;
    bool m_keepsLoop;
};

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

QStringList Lines(const QByteArray &file)
{
    return QString::fromLatin1(file).split(QStringLiteral("\r\n"));
}

QStringList SectionsOf(const QByteArray &file)
{
    QStringList sections;
    for (const QString &line : Lines(file))
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            sections.append(line.mid(1, line.size() - 2));
    return sections;
}

// The lines of one section, up to the empty line that ends it.
QStringList SectionLines(const QByteArray &file, const QString &section)
{
    const QStringList lines = Lines(file);
    const qsizetype start = lines.indexOf(QLatin1Char('[') + section + QLatin1Char(']'));
    if (start < 0)
        return {};
    QStringList entries;
    for (qsizetype i = start + 1; i < lines.size() && !lines[i].isEmpty(); ++i)
        entries.append(lines[i]);
    return entries;
}

const QByteArray kPattern = QByteArray::fromHex("8101810081008180");

// A main window with the file dialogs answered by the test and stand-ins for
// the six-key panels and the circuit titles bound to the file commands.
struct FileMenu
{
    explicit FileMenu(const QByteArray &settingsFile = QByteArray()) : fixture(settingsFile)
    {
        fixture.form().sceneFile().setFileDialogs(dialogs);
        // Titles bound first: the file keeps the six-key panels before them anyway.
        for (int c = 1; c <= 6; ++c) {
            titles.push_back(std::make_unique<FakePanelSettings>(
                QStringLiteral("\\6Lights\\Circle%1").arg(c), false));
            fixture.form().panelSettings().bindCircuitTitle(c, titles.back().get());
        }
        for (int p = 1; p <= 10; ++p) {
            sixKeys.push_back(std::make_unique<FakePanelSettings>(
                QStringLiteral("\\6key%1\\key1").arg(p), true));
            fixture.form().panelSettings().bindSixKeyPanel(p, sixKeys.back().get());
        }
    }

    TForm1 &form() { return fixture.form(); }
    SceneStore &store() { return form().sceneStore(); }
    QString path(const QString &name) const { return fixture.dir.filePath(name); }

    // The menu items, as the user chooses them: errors are reported.
    void open(const QString &file)
    {
        dialogs.openAnswer = file;
        form().menu().N2->trigger();
    }
    void save(const QString &file)
    {
        dialogs.saveAnswer = file;
        form().menu().N3->trigger();
    }
    void reload() { form().menu().N5->trigger(); }
    // What the user can see and lose: a few store entries, the stored
    // properties, the caption, a six-key panel's settings, the bound file.
    QStringList state()
    {
        return {store().key(1).board(1).toHex(),
                store().key(3).board(2).toHex(),
                QString::number(store().key(3).group(1).levels[0]),
                QString::number(form().link().comNumber()),
                QString::number(form().pages().cb6LightsEnabled->isChecked()),
                QString::number(form().pages().se6LightsMno->value()),
                form().windowTitle(),
                sixKeys[1]->text,
                QString::number(sixKeys[1]->loop),
                form().storage().boundName()};
    }

    MainWindowFixture fixture;
    ScriptedFileDialogs dialogs;
    std::vector<std::unique_ptr<FakePanelSettings>> titles;
    std::vector<std::unique_ptr<FakePanelSettings>> sixKeys;
};

// A scene file that sets something in every place state() looks at.
const QByteArray kGoodFile = "[Form1]\r\nFormVersion=0\r\nApdWinsockPort1_ComNumber=5\r\n"
                             "cb6LightsEnabled_Checked=TRUE\r\nse6LightsMno_Value=9\r\n\r\n"
                             "[RawData\\Key1]\r\nBoard1=11\r\n\r\n"
                             "[RawData\\Key3]\r\nBoard2=33\r\n\r\n"
                             "[RawData\\Key3\\Dimmer1]\r\nTime1=2\r\n\r\n"
                             "[6key2\\key1]\r\nLoop=FALSE\r\nCaption=A\r\n\r\n";

} // namespace

class TestSceneFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void saveToNewFileWritesSectionsInOrder();
    void saveWritesBoardDataByteExact();
    void saveStoresTheShownKey_data();
    void saveStoresTheShownKey();
    void saveOverExistingFileKeepsForeignSections();
    void saveUnderNewNameRewritesPreviousFile();
    void saveFailureIsReportedAndKeepsFile_data();
    void saveFailureIsReportedAndKeepsFile();
    void openReadsValues_data();
    void openReadsValues();
    void openShowsKeyOneAndTakesEverything();
    void badFileChangesNothing_data();
    void badFileChangesNothing();
    void formVersionBelowZeroKeepsStoreAndProperties();
    void missingFileGivesEmptyScenes();
    void strangeBytesLoadWithoutHarm_data();
    void strangeBytesLoadWithoutHarm();
    void reloadReadsTheBoundFile();
    void big5RoundTrip();
    void cancelledDialogsChangeNothing();
    void circuitTitlesOfTheRealPanels();
    void portThatCannotOpenIsReportedAndTheRestTaken();
};

void TestSceneFileCommands::saveToNewFileWritesSectionsInOrder()
{
    // The connection dialog's section is in kvt.ini, but binding the new name
    // replaces the image by the new (missing) file.
    FileMenu menu("[frmCommSetup]\r\nFormVersion=0\r\njvedPort_Text=4444\r\n");
    const QString target = menu.path(QStringLiteral("new.kvt"));
    menu.save(target);

    QVERIFY2(menu.fixture.errors.errors().isEmpty(), qPrintable(menu.fixture.errors.errors().join('\n')));
    QCOMPARE(menu.dialogs.saveStartNames, QStringList{menu.fixture.settingsPath()});
    QCOMPARE(menu.form().windowTitle(), target);

    const QByteArray file = ReadFile(target);
    QStringList expected{QStringLiteral("Form1")};
    for (int n = 1; n <= 62; ++n)
        expected << QStringLiteral("RawData\\Key%1").arg(n)
                 << QStringLiteral("RawData\\Key%1\\Dimmer1").arg(n)
                 << QStringLiteral("RawData\\Key%1\\Dimmer2").arg(n);
    for (int p = 1; p <= 10; ++p)
        expected << QStringLiteral("6key%1\\key1").arg(p);
    for (int c = 1; c <= 6; ++c)
        expected << QStringLiteral("6Lights\\Circle%1").arg(c);
    QCOMPARE(SectionsOf(file), expected);

    const QString com = QString::number(menu.form().link().comNumber());
    QCOMPARE(SectionLines(file, QStringLiteral("Form1")),
             QStringList({QStringLiteral("FormVersion=0"),
                          QStringLiteral("ApdWinsockPort1_ComNumber=") + com,
                          QStringLiteral("cb6LightsEnabled_Checked=FALSE"),
                          QStringLiteral("se6LightsMno_Value=4")}));
    QStringList keyEntries;
    for (int slot = 1; slot <= 19; ++slot)
        keyEntries << QStringLiteral("Board%1=").arg(slot);
    for (int c = 1; c <= 6; ++c)
        keyEntries << QStringLiteral("6Lights%1=").arg(c);
    QCOMPARE(SectionLines(file, QStringLiteral("RawData\\Key62")), keyEntries);
    const QStringList times{QStringLiteral("Time0=0"), QStringLiteral("Time1=0"),
                            QStringLiteral("Time2=0"), QStringLiteral("Time3=0"),
                            QStringLiteral("Time4=0")};
    QCOMPARE(SectionLines(file, QStringLiteral("RawData\\Key1\\Dimmer2")), times);

    // One empty line after every section, CR LF throughout.
    QVERIFY(file.startsWith("[Form1]\r\nFormVersion=0\r\n"));
    QVERIFY(file.endsWith("Title=\r\n\r\n"));
    QCOMPARE(file.count("\r\n\r\n["), qsizetype(expected.size() - 1));
    QCOMPARE(file.count('\n'), file.count("\r\n"));
}

void TestSceneFileCommands::saveWritesBoardDataByteExact()
{
    FileMenu menu;
    menu.fixture.setBoardPresent(1, true);
    menu.fixture.userSelectKey(0);
    menu.fixture.lightBoard(1)->DecodeBoardData(kPattern);
    menu.store().key(5).board(19) = QByteArray::fromHex("00FF12");
    menu.store().key(5).circuit(6) = QByteArray::fromHex("0a0b0c0d");
    const QString target = menu.path(QStringLiteral("room.kvt"));
    menu.save(target);

    const QByteArray file = ReadFile(target);
    QVERIFY(SectionLines(file, QStringLiteral("RawData\\Key1")).contains(QStringLiteral("Board1=8101810081008180")));
    // Slot 19 is carried as it is, whatever the main dimmer controls show.
    const QStringList key5 = SectionLines(file, QStringLiteral("RawData\\Key5"));
    QVERIFY(key5.contains(QStringLiteral("Board19=00FF12")));
    QVERIFY(key5.contains(QStringLiteral("6Lights6=0A0B0C0D")));

    // The same bytes come back in a fresh window.
    FileMenu other;
    other.open(target);
    QCOMPARE(other.store().key(1).board(1), kPattern);
    QCOMPARE(other.store().key(5).board(19), QByteArray::fromHex("00FF12"));
}

void TestSceneFileCommands::saveStoresTheShownKey_data()
{
    QTest::addColumn<int>("userKey"); // -1: the user selected nothing
    QTest::addColumn<int>("selectionAfter"); // -2: left as the user made it
    QTest::addColumn<int>("storedKey"); // key number that gets the panel, 0: none
    QTest::addColumn<int>("untouchedKey");

    QTest::addRow("selection is the shown key") << 2 << -2 << 3 << 1;
    QTest::addRow("selection moved without a switch") << 2 << 6 << 3 << 7;
    QTest::addRow("selection cleared by a bulk read") << 2 << -1 << 3 << 1;
    QTest::addRow("nothing shown, key selected by code") << -1 << 4 << 0 << 5;
}

void TestSceneFileCommands::saveStoresTheShownKey()
{
    QFETCH(int, userKey);
    QFETCH(int, selectionAfter);
    QFETCH(int, storedKey);
    QFETCH(int, untouchedKey);

    FileMenu menu;
    menu.fixture.setBoardPresent(1, true);
    if (userKey >= 0)
        menu.fixture.userSelectKey(userKey);
    if (selectionAfter != -2)
        menu.form().keySwitch().selectKeyIndex(selectionAfter);
    menu.fixture.lightBoard(1)->DecodeBoardData(kPattern);
    const QByteArray shown = menu.fixture.lightBoard(1)->EncodeBoardData();
    QVERIFY(!shown.isEmpty());

    const QString target = menu.path(QStringLiteral("keys.kvt"));
    menu.save(target);
    const QByteArray file = ReadFile(target);
    const QString panelEntry = QStringLiteral("Board1=") + QString::fromLatin1(shown.toHex().toUpper());
    if (storedKey > 0) {
        QCOMPARE(menu.store().key(storedKey).board(1), shown);
        QVERIFY(SectionLines(file, QStringLiteral("RawData\\Key%1").arg(storedKey)).contains(panelEntry));
    }
    QVERIFY(menu.store().key(untouchedKey).board(1).isEmpty());
    QVERIFY(SectionLines(file, QStringLiteral("RawData\\Key%1").arg(untouchedKey))
                .contains(QStringLiteral("Board1=")));
    QCOMPARE(QString::fromLatin1(file).count(panelEntry), storedKey > 0 ? 1 : 0);
}

void TestSceneFileCommands::saveOverExistingFileKeepsForeignSections()
{
    FileMenu menu;
    const QString target = menu.path(QStringLiteral("old.kvt"));
    WriteFile(target, "; a comment\r\n[Foreign]\r\nA=1\r\n\r\n"
                      "[rawdata\\key1]\r\nExtra=x\r\nboard1=FF\r\n\r\n"
                      "[Tail]\r\nB=2\r\n");
    menu.store().key(1).board(1) = QByteArray::fromHex("0102");
    menu.save(target);

    const QByteArray file = ReadFile(target);
    const QStringList sections = SectionsOf(file);
    QCOMPARE(sections.mid(0, 4), QStringList({QStringLiteral("Foreign"), QStringLiteral("rawdata\\key1"),
                                              QStringLiteral("Tail"), QStringLiteral("Form1")}));
    QCOMPARE(SectionLines(file, QStringLiteral("Foreign")), QStringList{QStringLiteral("A=1")});
    QCOMPARE(SectionLines(file, QStringLiteral("Tail")), QStringList{QStringLiteral("B=2")});
    // The existing entry takes the new value in its old place.
    const QStringList key1 = SectionLines(file, QStringLiteral("rawdata\\key1"));
    QCOMPARE(key1.mid(0, 3), QStringList({QStringLiteral("Extra=x"), QStringLiteral("board1=0102"),
                                          QStringLiteral("Board2=")}));
    QVERIFY(!sections.contains(QStringLiteral("RawData\\Key1")));
}

void TestSceneFileCommands::saveUnderNewNameRewritesPreviousFile()
{
    FileMenu menu("[frmCommSetup]\r\nFormVersion=0\r\njvedPort_Text=4444\r\n\r\n"
                  "[RawData\\Key2]\r\nBoard1=42\r\n");
    menu.form().show();
    // The connection dialog writes its section when it closes.
    menu.form().storage().writeText(QStringLiteral("jvedPort_Text"), QStringLiteral("5000"),
                                    QStringLiteral("frmCommSetup"));
    // Edited in the store only; not yet saved anywhere.
    menu.store().key(2).board(1) = QByteArray::fromHex("43");

    const QString target = menu.path(QStringLiteral("copy.kvt"));
    menu.save(target);

    const QByteArray previous = ReadFile(menu.fixture.settingsPath());
    QCOMPARE(SectionLines(previous, QStringLiteral("frmCommSetup")),
             QStringList({QStringLiteral("FormVersion=0"), QStringLiteral("jvedPort_Text=5000")}));
    // kvt.ini got the image as it stood: the store's edit went to the new file only.
    QCOMPARE(SectionLines(previous, QStringLiteral("RawData\\Key2")), QStringList{QStringLiteral("Board1=42")});
    const QByteArray saved = ReadFile(target);
    QVERIFY(SectionLines(saved, QStringLiteral("RawData\\Key2")).contains(QStringLiteral("Board1=43")));
    QVERIFY(!SectionsOf(saved).contains(QStringLiteral("frmCommSetup")));
    QCOMPARE(menu.form().storage().boundName(), target);
}

void TestSceneFileCommands::saveFailureIsReportedAndKeepsFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addRow("read-only file") << "readonly";
    QTest::addRow("folder that is a file") << "folderisfile";
    QTest::addRow("target is a folder") << "targetisfolder";
}

void TestSceneFileCommands::saveFailureIsReportedAndKeepsFile()
{
    QFETCH(QString, kind);
    FileMenu menu;
    menu.store().key(1).board(1) = QByteArray::fromHex("99");
    const QByteArray before = "[RawData\\Key1]\r\nBoard1=01\r\n";
    QString target;
    QString checked; // a file whose bytes must not change
    if (kind == QLatin1String("readonly")) {
        target = menu.path(QStringLiteral("locked.kvt"));
        WriteFile(target, before);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        checked = target;
    } else if (kind == QLatin1String("folderisfile")) {
        checked = menu.path(QStringLiteral("plain"));
        WriteFile(checked, before);
        target = checked + QStringLiteral("/inside.kvt");
    } else {
        target = menu.path(QStringLiteral("folder.kvt"));
        QVERIFY(QDir().mkpath(target));
    }
    const QByteArray kvtIni = ReadFile(menu.fixture.settingsPath());

    menu.save(target);

    const QStringList errors = menu.fixture.errors.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QDir::toNativeSeparators(target)) || errors.first().contains(target),
             qPrintable(errors.first()));
    if (!checked.isEmpty())
        QCOMPARE(ReadFile(checked), before);
    QVERIFY(!QFileInfo(target).isFile() || kind == QLatin1String("readonly"));
    QCOMPARE(menu.store().key(1).board(1), QByteArray::fromHex("99"));
    if (kind == QLatin1String("targetisfolder")) {
        // Refused before anything was bound: kvt.ini stays the file in use.
        QCOMPARE(menu.form().storage().boundName(), QStringLiteral("kvt.ini"));
        QCOMPARE(menu.form().windowTitle(), QStringLiteral("燈光設定"));
        QCOMPARE(ReadFile(menu.fixture.settingsPath()), kvtIni);
    }
}

void TestSceneFileCommands::openReadsValues_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("keyNumber");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("board");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("timeValue");

    const QByteArray pattern = kPattern;
    QTest::addRow("Board1 8101810081008180")
        << QByteArray("[RawData\\Key1]\r\nBoard1=8101810081008180\r\n") << 1 << 1 << pattern << 1 << 0 << 0;
    QTest::addRow("17th digit ignored")
        << QByteArray("[RawData\\Key1]\r\nBoard1=8101810081008180F\r\n") << 1 << 1 << pattern << 1 << 0 << 0;
    QTest::addRow("zz reads as one zero byte")
        << QByteArray("[RawData\\Key1]\r\nBoard1=zz\r\n") << 1 << 1 << QByteArray(1, '\0') << 1 << 0 << 0;
    QTest::addRow("lower-case names")
        << QByteArray("[rawdata\\key1]\r\nboard1=81\r\n[rawdata\\key1\\dimmer2]\r\ntime4=3\r\n")
        << 1 << 1 << QByteArray::fromHex("81") << 2 << 4 << 3;
    QTest::addRow("duplicated section, first wins")
        << QByteArray("[RawData\\Key7]\r\nBoard18=01\r\n[RawData\\Key7]\r\nBoard18=02\r\n")
        << 7 << 18 << QByteArray::fromHex("01") << 1 << 0 << 0;
    QTest::addRow("empty Time1 reads 0")
        << QByteArray("[RawData\\Key62\\Dimmer1]\r\nTime0=1\r\nTime1=\r\n") << 62 << 1 << QByteArray() << 1
        << 1 << 0;
    QTest::addRow("stored level beyond the bars kept")
        << QByteArray("[RawData\\Key2\\Dimmer2]\r\nTime3=7\r\n") << 2 << 19 << QByteArray() << 2 << 3 << 7;
    QTest::addRow("enabled value 2 kept")
        << QByteArray("[RawData\\Key2\\Dimmer1]\r\nTime0=2\n") << 2 << 19 << QByteArray() << 1 << 0 << 2;
}

void TestSceneFileCommands::openReadsValues()
{
    QFETCH(QByteArray, file);
    QFETCH(int, keyNumber);
    QFETCH(int, slot);
    QFETCH(QByteArray, board);
    QFETCH(int, group);
    QFETCH(int, time);
    QFETCH(int, timeValue);

    FileMenu menu;
    const QString path = menu.path(QStringLiteral("scene.kvt"));
    WriteFile(path, file);
    menu.open(path);

    QVERIFY2(menu.fixture.errors.errors().isEmpty(), qPrintable(menu.fixture.errors.errors().join('\n')));
    const KeyScene &scene = menu.store().key(keyNumber);
    QCOMPARE(scene.board(slot), board);
    const DimmerGroupLevels &levels = scene.group(group);
    QCOMPARE(time == 0 ? levels.enabled : levels.levels[size_t(time - 1)], timeValue);
    // Opening reads; it never writes the file.
    QCOMPARE(ReadFile(path), file);
}

void TestSceneFileCommands::openShowsKeyOneAndTakesEverything()
{
    FileMenu menu;
    menu.fixture.setBoardPresent(1, true);
    menu.fixture.userSelectKey(4);
    menu.fixture.lightBoard(1)->DecodeBoardData(QByteArray::fromHex("FF0FFF0FFF0FFF0F"));
    const QString path = menu.path(QStringLiteral("A.kvt"));
    WriteFile(path, kGoodFile + "[RawData\\Key1]\r\nBoard1=8101810081008180\r\n");
    menu.fixture.pacer.clearSteps();
    menu.open(path);
    // The open ends by letting pending events run.
    QVERIFY(!menu.fixture.pacer.steps().empty());
    QCOMPARE(int(menu.fixture.pacer.steps().back().kind), int(VirtualPacer::StepKind::ProcessEvents));

    QVERIFY2(menu.fixture.errors.errors().isEmpty(), qPrintable(menu.fixture.errors.errors().join('\n')));
    QCOMPARE(menu.dialogs.openCount, 1);
    QCOMPARE(menu.form().windowTitle(), path);
    QCOMPARE(menu.form().link().comNumber(), 5);
    QVERIFY(menu.form().pages().cb6LightsEnabled->isChecked());
    QCOMPARE(menu.form().pages().se6LightsMno->value(), 9);
    QCOMPARE(menu.sixKeys[1]->text, QStringLiteral("A"));
    QCOMPARE(menu.sixKeys[1]->loop, false);
    QCOMPARE(menu.sixKeys[0]->loop, true);
    // Key 1 is shown; the panel's previous pattern was not stored into key 5.
    QCOMPARE(menu.fixture.keyList()->currentIndex(), 0);
    QCOMPARE(menu.store().shownKeyIndex(), 0);
    QCOMPARE(menu.store().key(1).board(1), QByteArray::fromHex("11"));
    QVERIFY(menu.store().key(5).board(1).isEmpty());
    QCOMPARE(menu.form().storage().boundName(), path);
}

void TestSceneFileCommands::badFileChangesNothing_data()
{
    QTest::addColumn<bool>("reload");
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QStringList>("named"); // section, entry, value

    const struct
    {
        const char *name;
        QByteArray bad;
        QStringList named;
    } cases[] = {
        {"Time1 abc", "[RawData\\Key40\\Dimmer1]\r\nTime1=abc\r\n",
         {"RawData\\Key40\\Dimmer1", "Time1", "abc"}},
        {"ComNumber in letters", "[Form1]\r\nApdWinsockPort1_ComNumber=COM3\r\n",
         {"Form1", "ApdWinsockPort1_ComNumber", "COM3"}},
        {"Checked neither word nor number", "[Form1]\r\ncb6LightsEnabled_Checked=maybe\r\n",
         {"Form1", "cb6LightsEnabled_Checked", "maybe"}},
        {"six-key Loop", "[6key9\\key1]\r\nLoop=sometimes\r\n", {"6key9\\key1", "Loop", "sometimes"}},
    };
    for (const auto &c : cases) {
        QTest::addRow("open: %s", c.name) << false << c.bad << c.named;
        QTest::addRow("reload: %s", c.name) << true << c.bad << c.named;
    }
}

void TestSceneFileCommands::badFileChangesNothing()
{
    QFETCH(bool, reload);
    QFETCH(QByteArray, bad);
    QFETCH(QStringList, named);

    FileMenu menu;
    const QString good = menu.path(QStringLiteral("good.kvt"));
    WriteFile(good, kGoodFile);
    menu.open(good);
    QVERIFY(menu.fixture.errors.errors().isEmpty());
    menu.fixture.setBoardPresent(1, true);
    menu.fixture.userSelectKey(2);
    const QStringList before = menu.state();
    const int shownBefore = menu.store().shownKeyIndex();

    // Valid values that would differ come first; the bad one stops the read.
    const QByteArray badFile = "[Form1]\r\nse6LightsMno_Value=77\r\n\r\n"
                               "[RawData\\Key1]\r\nBoard1=EE\r\n\r\n"
                               "[RawData\\Key3\\Dimmer1]\r\nTime1=3\r\n\r\n"
                               "[6key2\\key1]\r\nCaption=B\r\n\r\n"
                               + bad;
    const QString path = reload ? good : menu.path(QStringLiteral("bad.kvt"));
    WriteFile(path, badFile);
    if (reload)
        menu.reload();
    else
        menu.open(path);

    const QStringList errors = menu.fixture.errors.errors();
    QCOMPARE(errors.size(), 1);
    for (const QString &part : named)
        QVERIFY2(errors.first().contains(part), qPrintable(errors.first()));
    QCOMPARE(menu.state(), before);
    QCOMPARE(menu.store().shownKeyIndex(), shownBefore);
    QCOMPARE(menu.fixture.keyList()->currentIndex(), 2);
    QCOMPARE(ReadFile(path), badFile);
    // The file in use is still the good one: save offers it.
    menu.dialogs.saveAnswer.reset();
    menu.form().menu().N3->trigger();
    QCOMPARE(menu.dialogs.saveStartNames.value(0), good);
}

void TestSceneFileCommands::formVersionBelowZeroKeepsStoreAndProperties()
{
    FileMenu menu;
    const QString good = menu.path(QStringLiteral("good.kvt"));
    WriteFile(good, kGoodFile);
    menu.open(good);
    const QString other = menu.path(QStringLiteral("old-format.kvt"));
    WriteFile(other, "[Form1]\r\nFormVersion=-1\r\nse6LightsMno_Value=77\r\n\r\n"
                     "[RawData\\Key1]\r\nBoard1=EE\r\n\r\n[6key2\\key1]\r\nCaption=B\r\n");
    menu.open(other);

    QVERIFY(menu.fixture.errors.errors().isEmpty());
    QCOMPARE(menu.store().key(1).board(1), QByteArray::fromHex("11"));
    QCOMPARE(menu.store().key(3).board(2), QByteArray::fromHex("33"));
    QCOMPARE(menu.form().link().comNumber(), 5);
    QCOMPARE(menu.form().pages().se6LightsMno->value(), 9);
    // The rest of the open runs.
    QCOMPARE(menu.form().windowTitle(), other);
    QCOMPARE(menu.sixKeys[1]->text, QStringLiteral("B"));
    QCOMPARE(menu.store().shownKeyIndex(), 0);
}

void TestSceneFileCommands::missingFileGivesEmptyScenes()
{
    FileMenu menu;
    const QString good = menu.path(QStringLiteral("good.kvt"));
    WriteFile(good, kGoodFile);
    menu.open(good);
    const QString missing = menu.path(QStringLiteral("new/none.kvt"));
    menu.open(missing);

    QVERIFY(menu.fixture.errors.errors().isEmpty());
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(menu.store().key(1).board(1).isEmpty());
    QCOMPARE(menu.store().key(3).group(1).levels[0], 0);
    // Missing properties keep their values; the panels take their defaults.
    QCOMPARE(menu.form().link().comNumber(), 5);
    QVERIFY(menu.form().pages().cb6LightsEnabled->isChecked());
    QCOMPARE(menu.sixKeys[1]->text, QString());
    QCOMPARE(menu.sixKeys[1]->loop, true);
    QCOMPARE(menu.form().windowTitle(), missing);

    // Saving creates the file and its folder.
    menu.save(missing);
    QVERIFY(SectionsOf(ReadFile(missing)).contains(QStringLiteral("RawData\\Key62\\Dimmer2")));
    // The good file received the image as it stood when the name changed.
    QCOMPARE(ReadFile(good).left(kGoodFile.size()), kGoodFile);
}

void TestSceneFileCommands::strangeBytesLoadWithoutHarm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("caption"); // of six-key panel 1

    QByteArray noise(4096, '\0');
    QRandomGenerator generator(20261209);
    for (char &c : noise)
        c = char(generator.bounded(256));
    noise.replace('[', '{');
    QTest::addRow("random bytes") << noise << QString();
    // "晴空" in UTF-8 is not Big5: it reads as other characters, never fails.
    QTest::addRow("UTF-8 text") << QByteArray("[6key1\\key1]\r\nCaption=\xE6\x99\xB4\xE7\xA9\xBA\r\n")
                                << QStringLiteral("?");
    QTest::addRow("lines before the first section")
        << QByteArray("Caption=lost\r\n[6key1\\key1]\r\n;Caption=comment\r\nCaption=kept\r\n")
        << QStringLiteral("kept");
}

void TestSceneFileCommands::strangeBytesLoadWithoutHarm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, caption);

    FileMenu menu;
    const QString path = menu.path(QStringLiteral("strange.kvt"));
    WriteFile(path, bytes);
    menu.open(path);

    QVERIFY2(menu.fixture.errors.errors().isEmpty(), qPrintable(menu.fixture.errors.errors().join('\n')));
    QCOMPARE(menu.form().windowTitle(), path);
    QVERIFY(menu.store().key(1).board(1).isEmpty());
    if (caption == QLatin1String("?"))
        QVERIFY(!menu.sixKeys[0]->text.isEmpty() && menu.sixKeys[0]->text != QStringLiteral("晴空"));
    else
        QCOMPARE(menu.sixKeys[0]->text, caption);
}

void TestSceneFileCommands::reloadReadsTheBoundFile()
{
    FileMenu menu("[RawData\\Key2]\r\nBoard1=42\r\n");
    menu.form().show();
    QCOMPARE(menu.store().key(2).board(1), QByteArray::fromHex("42"));
    menu.store().key(2).board(1) = QByteArray::fromHex("43");

    // After start-up: kvt.ini.
    menu.reload();
    QVERIFY(menu.fixture.errors.errors().isEmpty());
    QCOMPARE(menu.store().key(2).board(1), QByteArray::fromHex("42"));
    QCOMPARE(menu.form().windowTitle(), QDir::toNativeSeparators(menu.fixture.settingsPath()));
    QCOMPARE(menu.store().shownKeyIndex(), 0);

    // After an open: the opened file, as it is on the disk now.
    const QString path = menu.path(QStringLiteral("A.kvt"));
    WriteFile(path, kGoodFile);
    menu.open(path);
    WriteFile(path, "[RawData\\Key1]\r\nBoard1=12\r\n");
    menu.reload();
    QCOMPARE(menu.store().key(1).board(1), QByteArray::fromHex("12"));
    QVERIFY(menu.store().key(2).board(1).isEmpty());
    QCOMPARE(menu.dialogs.openCount, 1);
    QCOMPARE(menu.form().windowTitle(), path);
}

void TestSceneFileCommands::big5RoundTrip()
{
    FileMenu menu;
    menu.sixKeys[0]->text = QStringLiteral("晴空");
    menu.titles[5]->text = QStringLiteral("主題");
    const QString path = menu.path(QStringLiteral("燈光.kvt"));
    menu.save(path);

    const QByteArray file = ReadFile(path);
    // Big5 bytes of 晴空 and 主題 (as iconv gives them), no UTF-8.
    QVERIFY(file.contains("[6key1\\key1]\r\nLoop=TRUE\r\nCaption=\xB4\xB8\xAA\xC5\r\n"));
    QVERIFY(file.contains("[6Lights\\Circle6]\r\nTitle=\xA5\x44\xC3\x44\r\n"));
    QVERIFY(!file.contains("\xE6\x99\xB4"));
    QCOMPARE(menu.form().windowTitle(), path);

    menu.sixKeys[0]->text.clear();
    menu.titles[5]->text.clear();
    menu.open(path);
    QCOMPARE(menu.sixKeys[0]->text, QStringLiteral("晴空"));
    QCOMPARE(menu.titles[5]->text, QStringLiteral("主題"));
}

void TestSceneFileCommands::cancelledDialogsChangeNothing()
{
    FileMenu menu("[RawData\\Key1]\r\nBoard1=01\r\n");
    menu.form().show();
    const QByteArray kvtIni = ReadFile(menu.fixture.settingsPath());
    const QStringList before = menu.state();

    menu.dialogs.openAnswer.reset();
    menu.dialogs.saveAnswer.reset();
    menu.form().menu().N2->trigger();
    menu.form().menu().N3->trigger();

    QCOMPARE(menu.dialogs.openCount, 1);
    QCOMPARE(menu.dialogs.saveStartNames, QStringList{menu.fixture.settingsPath()});
    QCOMPARE(menu.state(), before);
    QCOMPARE(menu.form().windowTitle(), QStringLiteral("燈光設定"));
    QCOMPARE(ReadFile(menu.fixture.settingsPath()), kvtIni);
    QCOMPARE(QDir(menu.fixture.programFolder()).entryList(QDir::Files), QStringList{QStringLiteral("kvt.ini")});
}

void TestSceneFileCommands::circuitTitlesOfTheRealPanels()
{
    // The window's own six-circuit panels, as they bind themselves.
    MainWindowFixture fixture;
    ScriptedFileDialogs dialogs;
    fixture.form().sceneFile().setFileDialogs(dialogs);
    auto *title2 = fixture.find<QWidget>(QStringLiteral("fm6Lights2"))->findChild<QLineEdit *>(QStringLiteral("edTitle"));
    auto *title6 = fixture.find<QWidget>(QStringLiteral("fm6Lights6"))->findChild<QLineEdit *>(QStringLiteral("edTitle"));
    QVERIFY(title2 && title6);

    // "客廳" in Big5.
    const QString good = fixture.dir.filePath(QStringLiteral("titles.kvt"));
    WriteFile(good, "[6Lights\\Circle2]\r\nTitle=\xAB\xC8\xC6\x55\r\n");
    dialogs.openAnswer = good;
    fixture.form().menu().N2->trigger();
    QVERIFY2(fixture.errors.errors().isEmpty(), qPrintable(fixture.errors.errors().join('\n')));
    QCOMPARE(title2->text(), QStringLiteral("客廳"));
    QCOMPARE(title6->text(), QString());

    // A file that fails leaves the titles as they were.
    const QString bad = fixture.dir.filePath(QStringLiteral("bad.kvt"));
    WriteFile(bad, "[6Lights\\Circle2]\r\nTitle=x\r\n[RawData\\Key1\\Dimmer1]\r\nTime0=on\r\n");
    dialogs.openAnswer = bad;
    fixture.form().menu().N2->trigger();
    QCOMPARE(fixture.errors.errors().size(), 1);
    QCOMPARE(title2->text(), QStringLiteral("客廳"));

    title6->setText(QStringLiteral("主題"));
    const QString saved = fixture.dir.filePath(QStringLiteral("saved.kvt"));
    dialogs.saveAnswer = saved;
    fixture.form().menu().N3->trigger();
    const QByteArray file = ReadFile(saved);
    QVERIFY(file.contains("[6Lights\\Circle2]\r\nTitle=\xAB\xC8\xC6\x55\r\n"));
    QVERIFY(file.contains("[6Lights\\Circle6]\r\nTitle=\xA5\x44\xC3\x44\r\n"));
}

void TestSceneFileCommands::portThatCannotOpenIsReportedAndTheRestTaken()
{
    FileMenu menu;
    menu.form().link().setOpen(true);
    QVERIFY(menu.form().link().isOpen());
    menu.fixture.transport->failOpenWith = QStringLiteral("COM5 is in use");
    const QString path = menu.path(QStringLiteral("A.kvt"));
    WriteFile(path, kGoodFile);
    menu.open(path);

    // The open link moves to the stored port; that it cannot is reported.
    const QStringList errors = menu.fixture.errors.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("COM5 is in use")), qPrintable(errors.first()));
    QCOMPARE(menu.form().link().comNumber(), 5);
    QVERIFY(!menu.form().link().isOpen());
    QCOMPARE(menu.store().key(1).board(1), QByteArray::fromHex("11"));
    QCOMPARE(menu.form().pages().se6LightsMno->value(), 9);
    QCOMPARE(menu.sixKeys[1]->text, QStringLiteral("A"));
    QCOMPARE(menu.form().windowTitle(), path);
}

QTEST_MAIN(TestSceneFileCommands)
#include "tst_scenefilecommands.moc"
