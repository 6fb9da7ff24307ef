// Saving through the file menu's real handler ("存檔"), with the save dialog
// answered by the test, on real files in a temporary program folder.

#include "scenefilemenu.h"

#include "panels/lightboard.h"
#include "scenes/keyswitch.h"

#include <QDir>

class TestSceneFileSave : public QObject
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
    void big5RoundTrip();
    void cancelledDialogsChangeNothing();
};

void TestSceneFileSave::saveToNewFileWritesSectionsInOrder()
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

void TestSceneFileSave::saveWritesBoardDataByteExact()
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

void TestSceneFileSave::saveStoresTheShownKey_data()
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

void TestSceneFileSave::saveStoresTheShownKey()
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

void TestSceneFileSave::saveOverExistingFileKeepsForeignSections()
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

void TestSceneFileSave::saveUnderNewNameRewritesPreviousFile()
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

void TestSceneFileSave::saveFailureIsReportedAndKeepsFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addRow("read-only file") << "readonly";
    QTest::addRow("folder that is a file") << "folderisfile";
    QTest::addRow("target is a folder") << "targetisfolder";
}

void TestSceneFileSave::saveFailureIsReportedAndKeepsFile()
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

void TestSceneFileSave::big5RoundTrip()
{
    FileMenu menu;
    menu.sixKeys[0]->text = QStringLiteral("晴空");
    menu.title(6)->setText(QStringLiteral("主題"));
    const QString path = menu.path(QStringLiteral("燈光.kvt"));
    menu.save(path);

    const QByteArray file = ReadFile(path);
    // Big5 bytes of 晴空 and 主題 (as iconv gives them), no UTF-8.
    QVERIFY(file.contains("[6key1\\key1]\r\nLoop=TRUE\r\nCaption=\xB4\xB8\xAA\xC5\r\n"));
    QVERIFY(file.contains("[6Lights\\Circle6]\r\nTitle=\xA5\x44\xC3\x44\r\n"));
    QVERIFY(!file.contains("\xE6\x99\xB4"));
    QCOMPARE(menu.form().windowTitle(), path);

    menu.sixKeys[0]->text.clear();
    menu.title(6)->clear();
    menu.open(path);
    QCOMPARE(menu.sixKeys[0]->text, QStringLiteral("晴空"));
    QCOMPARE(menu.title(6)->text(), QStringLiteral("主題"));
}

void TestSceneFileSave::cancelledDialogsChangeNothing()
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

QTEST_MAIN(TestSceneFileSave)
#include "tst_scenefilecommands.moc"
