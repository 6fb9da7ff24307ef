// The real open and save dialogs of the file menu: what they offer and what
// they hand back. The test answers each dialog while it runs modally.

#include "app/qtfiledialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs answer on the file dialog as soon as it is up, then lets it close.
void WhenDialogShows(const std::function<void(QFileDialog &)> &answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "no file dialog is showing");
        answer(*dialog);
        // A failed check above leaves the dialog open; never hang on it.
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openOffersScenesSettingsAndAllFiles();
    void openAcceptsANameThatDoesNotExist_data();
    void openAcceptsANameThatDoesNotExist();
    void saveOffersTheBoundNameAndReplacesWithoutAsking();
    void cancelGivesNothing();
    void runsThroughTheGivenModalRunner();

private:
    QTemporaryDir m_dir;
    QString m_previousFolder;
};

void TestFileDialogs::init()
{
    // The dialogs start in the current folder.
    m_previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestFileDialogs::cleanup()
{
    QDir::setCurrent(m_previousFolder);
}

void TestFileDialogs::openOffersScenesSettingsAndAllFiles()
{
    QtFileDialogs dialogs(nullptr);
    WhenDialogShows([this](QFileDialog &dialog) {
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(dialog.nameFilters(),
                 QStringList({QStringLiteral("燈光設定檔 (*.kvt)"), QStringLiteral("通用設定檔 (*.ini)"),
                              QStringLiteral("所有檔案 (*)")}));
        QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("燈光設定檔 (*.kvt)"));
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("kvt"));
        QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
        dialog.selectFile(QStringLiteral("room.kvt"));
        static_cast<QDialog &>(dialog).accept();
    });
    const std::optional<QString> chosen = dialogs.openSceneFile();
    QVERIFY(chosen);
    QCOMPARE(*chosen, QDir(m_dir.path()).filePath(QStringLiteral("room.kvt")));
}

void TestFileDialogs::openAcceptsANameThatDoesNotExist_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("returned");
    QTest::addRow("scene file") << "new.kvt" << "new.kvt";
    QTest::addRow("settings file") << "kvt.ini" << "kvt.ini";
    QTest::addRow("no extension gets .kvt") << "room201" << "room201.kvt";
}

void TestFileDialogs::openAcceptsANameThatDoesNotExist()
{
    QFETCH(QString, typed);
    QFETCH(QString, returned);
    QtFileDialogs dialogs(nullptr);
    WhenDialogShows([typed](QFileDialog &dialog) {
        dialog.selectFile(typed);
        static_cast<QDialog &>(dialog).accept();
    });
    const std::optional<QString> chosen = dialogs.openSceneFile();
    QVERIFY(chosen);
    QCOMPARE(QFileInfo(*chosen).fileName(), returned);
    QVERIFY(!QFileInfo::exists(*chosen));
}

void TestFileDialogs::saveOffersTheBoundNameAndReplacesWithoutAsking()
{
    const QString existing = QDir(m_dir.path()).filePath(QStringLiteral("old.kvt"));
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Form1]\r\n");
    }
    QtFileDialogs dialogs(nullptr);
    WhenDialogShows([existing](QFileDialog &dialog) {
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("燈光設定檔 (*.kvt)")});
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("kvt"));
        QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(QFileInfo(dialog.selectedFiles().value(0)).fileName(), QStringLiteral("old.kvt"));
        // Accepting an existing file closes the dialog at once: no question.
        static_cast<QDialog &>(dialog).accept();
        QVERIFY(!dialog.isVisible());
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &dialog);
    });
    const std::optional<QString> chosen = dialogs.saveSceneFile(QStringLiteral("old.kvt"));
    QVERIFY(chosen);
    QCOMPARE(QFileInfo(*chosen).canonicalFilePath(), QFileInfo(existing).canonicalFilePath());
}

void TestFileDialogs::cancelGivesNothing()
{
    QtFileDialogs dialogs(nullptr);
    WhenDialogShows([](QFileDialog &dialog) { dialog.reject(); });
    QCOMPARE(dialogs.openSceneFile(), std::optional<QString>());
    WhenDialogShows([](QFileDialog &dialog) { dialog.reject(); });
    QCOMPARE(dialogs.saveSceneFile(QStringLiteral("kvt.ini")), std::optional<QString>());
}

void TestFileDialogs::runsThroughTheGivenModalRunner()
{
    QStringList shown;
    QtFileDialogs dialogs(nullptr, [&shown](QDialog &dialog) {
        auto &files = static_cast<QFileDialog &>(dialog);
        shown.append(files.nameFilters().join(QStringLiteral(";;")));
        if (files.acceptMode() == QFileDialog::AcceptOpen) {
            files.selectFile(QStringLiteral("picked.kvt"));
            dialog.done(QDialog::Accepted);
        }
        // The save dialog is left as it is: closed without a choice.
    });
    const std::optional<QString> chosen = dialogs.openSceneFile();
    QVERIFY(chosen);
    QCOMPARE(QFileInfo(*chosen).fileName(), QStringLiteral("picked.kvt"));
    QCOMPARE(dialogs.saveSceneFile(QStringLiteral("kvt.ini")), std::optional<QString>());
    QCOMPARE(shown, QStringList({QtFileDialogs::kOpenFilter, QtFileDialogs::kSaveFilter}));
}

QTEST_MAIN(TestFileDialogs)
#include "tst_scenefilecommands_dialogs.moc"
