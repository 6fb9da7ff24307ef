// Opening and reloading through the file menu's real handlers ("開啟",
// "重新讀入"), with the open dialog answered by the test, on real files in a
// temporary program folder.

#include "inmemorytransport.h"
#include "virtualpacer.h"

#include "scenefilemenu.h"

#include "panels/lightboard.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRandomGenerator>

class TestSceneFileOpen : public QObject
{
    Q_OBJECT

private slots:
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
    void circuitTitlesOfTheRealPanels();
    void portThatCannotOpenIsReportedAndTheRestTaken();
};

void TestSceneFileOpen::openReadsValues_data()
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

void TestSceneFileOpen::openReadsValues()
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

void TestSceneFileOpen::openShowsKeyOneAndTakesEverything()
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

void TestSceneFileOpen::badFileChangesNothing_data()
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

void TestSceneFileOpen::badFileChangesNothing()
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

void TestSceneFileOpen::formVersionBelowZeroKeepsStoreAndProperties()
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

void TestSceneFileOpen::missingFileGivesEmptyScenes()
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

void TestSceneFileOpen::strangeBytesLoadWithoutHarm_data()
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

void TestSceneFileOpen::strangeBytesLoadWithoutHarm()
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

void TestSceneFileOpen::reloadReadsTheBoundFile()
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

void TestSceneFileOpen::circuitTitlesOfTheRealPanels()
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

void TestSceneFileOpen::portThatCannotOpenIsReportedAndTheRestTaken()
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

QTEST_MAIN(TestSceneFileOpen)
#include "tst_scenefilecommands_open.moc"
