// Start-up: kvt.ini in the program folder is loaded when the window is
// created, and its form section is restored when the window is first shown.

#include "mainwindowfixture.h"
#include "scenefiletext.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "link/devicelink.h"
#include "panels/lightboard.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenefilestorage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kSettings = "[frmCommSetup]\r\nFormVersion=0\r\nrgRS232_Checked=TRUE\r\n"
                             "rgCommPort_ItemIndex=5\r\n\r\n"
                             "[Form1]\r\nFormVersion=0\r\nApdWinsockPort1_ComNumber=3\r\n"
                             "cb6LightsEnabled_Checked=TRUE\r\nse6LightsMno_Value=9\r\n\r\n"
                             "[RawData\\Key2]\r\nBoard1=8101810081008180\r\nBoard19=AB\r\n\r\n"
                             "[RawData\\Key62\\Dimmer2]\r\nTime0=1\r\nTime4=3\r\n\r\n";

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstShowingRestoresFormSection();
    void badSettingsFile_data();
    void badSettingsFile();
    void closingWritesNothing();
    void savedSettingsComeBackAfterRestart();
};

void TestStartup::firstShowingRestoresFormSection()
{
    MainWindowFixture fixture(kSettings);
    TForm1 &form = fixture.form();
    QCOMPARE(form.storage().boundName(), QStringLiteral("kvt.ini"));
    QCOMPARE(form.storage().fullFileName(), fixture.settingsPath());
    // Loaded, but nothing taken from it before the window is shown.
    // The connection dialog has applied its choice, COM6.
    QCOMPARE(form.link().comNumber(), 6);
    QVERIFY(form.sceneStore().key(2).board(1).isEmpty());
    QVERIFY(!form.pages().cb6LightsEnabled->isChecked());

    form.show();

    QVERIFY2(fixture.errors.errors().isEmpty(), qPrintable(fixture.errors.errors().join('\n')));
    // The main window's stored port comes after the dialog's and is the one in effect.
    QCOMPARE(form.link().comNumber(), 3);
    QVERIFY(!form.link().isOpen());
    QVERIFY(form.pages().cb6LightsEnabled->isChecked());
    QCOMPARE(form.pages().se6LightsMno->value(), 9);
    QCOMPARE(form.sceneStore().key(2).board(1), QByteArray::fromHex("8101810081008180"));
    QCOMPARE(form.sceneStore().key(2).board(19), QByteArray::fromHex("AB"));
    QCOMPARE(form.sceneStore().key(62).group(2).enabled, 1);
    QCOMPARE(form.sceneStore().key(62).group(2).levels[3], 3);
    // The panels are not filled until the first key switch.
    QCOMPARE(form.sceneStore().shownKeyIndex(), -1);
    QCOMPARE(fixture.keyList()->currentIndex(), -1);
    QCOMPARE(form.windowTitle(), QStringLiteral("燈光設定"));

    // Only the first showing restores.
    form.sceneStore().key(2).board(1) = QByteArray::fromHex("01");
    form.pages().se6LightsMno->setValue(5);
    form.hide();
    form.show();
    QCOMPARE(form.sceneStore().key(2).board(1), QByteArray::fromHex("01"));
    QCOMPARE(form.pages().se6LightsMno->value(), 5);
}

void TestStartup::badSettingsFile_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no kvt.ini
    QTest::addColumn<QStringList>("named"); // what the error names; empty: no error

    QTest::addRow("no kvt.ini") << QByteArray() << QStringList();
    QTest::addRow("FormVersion -1")
        << QByteArray("[Form1]\r\nFormVersion=-1\r\nse6LightsMno_Value=9\r\n"
                      "[RawData\\Key2]\r\nBoard1=01\r\n")
        << QStringList();
    QTest::addRow("Time1 abc")
        << QByteArray("[Form1]\r\nse6LightsMno_Value=9\r\n[RawData\\Key2]\r\nBoard1=01\r\n"
                      "[RawData\\Key2\\Dimmer1]\r\nTime1=abc\r\n")
        << QStringList{QStringLiteral("RawData\\Key2\\Dimmer1"), QStringLiteral("Time1"),
                       QStringLiteral("abc")};
    QTest::addRow("FormVersion not a number")
        << QByteArray("[Form1]\r\nFormVersion=x1\r\nse6LightsMno_Value=9\r\n")
        << QStringList{QStringLiteral("Form1"), QStringLiteral("FormVersion"), QStringLiteral("x1")};
    QByteArray noise(2048, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 131 + 7) % 256 == '[' ? ' ' : (i * 131 + 7) % 256);
    QTest::addRow("bytes that are not text") << noise << QStringList();
}

void TestStartup::badSettingsFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, named);

    MainWindowFixture fixture(file);
    TForm1 &form = fixture.form();
    const int designPort = form.link().comNumber();
    form.show();

    const QStringList errors = fixture.errors.errors();
    if (named.isEmpty()) {
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    } else {
        QCOMPARE(errors.size(), 1);
        for (const QString &part : named)
            QVERIFY2(errors.first().contains(part), qPrintable(errors.first()));
    }
    // Design values everywhere: nothing half-taken from a file that failed.
    QVERIFY(form.sceneStore().key(2).board(1).isEmpty());
    QCOMPARE(form.pages().se6LightsMno->value(), 4);
    QVERIFY(!form.pages().cb6LightsEnabled->isChecked());
    QCOMPARE(form.link().comNumber(), designPort);
    // Start-up reads only.
    QCOMPARE(ReadFile(fixture.settingsPath()), file);
    QCOMPARE(QFile::exists(fixture.settingsPath()), !file.isNull());
}

void TestStartup::closingWritesNothing()
{
    MainWindowFixture fixture(kSettings);
    TForm1 &form = fixture.form();
    form.show();
    form.sceneStore().key(2).board(1) = QByteArray::fromHex("02");
    form.pages().se6LightsMno->setValue(12);
    QVERIFY(form.close());
    QVERIFY(fixture.errors.errors().isEmpty());
    QCOMPARE(ReadFile(fixture.settingsPath()), kSettings);
}

void TestStartup::savedSettingsComeBackAfterRestart()
{
    const QByteArray pattern = QByteArray::fromHex("8101810081008180");
    QByteArray saved;
    {
        MainWindowFixture fixture;
        TForm1 &form = fixture.form();
        form.show();
        SaveAs dialogs(fixture.settingsPath());
        form.sceneFile().setFileDialogs(dialogs);
        form.link().setComNumber(8);
        form.pages().cb6LightsEnabled->setChecked(true);
        form.pages().se6LightsMno->setValue(12);
        fixture.find<QWidget>(QStringLiteral("fm6Lights3"))
            ->findChild<QLineEdit *>(QStringLiteral("edTitle"))
            ->setText(QStringLiteral("客廳"));
        // Key 4 edited on the panel; the save stores the shown key itself.
        fixture.setBoardPresent(2, true);
        fixture.userSelectKey(3);
        fixture.lightBoard(2)->DecodeBoardData(pattern);
        form.menu().N3->trigger();
        QVERIFY2(fixture.errors.errors().isEmpty(), qPrintable(fixture.errors.errors().join('\n')));
        saved = ReadFile(fixture.settingsPath());
    }

    // A new run on the saved kvt.ini.
    MainWindowFixture fixture(saved);
    TForm1 &form = fixture.form();
    // The circuit titles are back as soon as the window is built.
    QCOMPARE(fixture.find<QWidget>(QStringLiteral("fm6Lights3"))->findChild<QLineEdit *>(QStringLiteral("edTitle"))->text(),
             QStringLiteral("客廳"));
    form.show();
    QVERIFY2(fixture.errors.errors().isEmpty(), qPrintable(fixture.errors.errors().join('\n')));
    QCOMPARE(form.link().comNumber(), 8);
    QVERIFY(form.pages().cb6LightsEnabled->isChecked());
    QCOMPARE(form.pages().se6LightsMno->value(), 12);
    QCOMPARE(form.sceneStore().key(4).board(2), pattern);
    // The board checkboxes are not kept: the user marks the board again and
    // the key shows on its panel.
    fixture.setBoardPresent(2, true);
    fixture.userSelectKey(3);
    QCOMPARE(fixture.lightBoard(2)->EncodeBoardData(), pattern);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
