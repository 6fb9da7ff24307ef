// The automation channel's refusals: where it listens and where grab may
// write. A client talks to the server in-process over the real socket.
#include "recordingerrorreporter.h"

#include "automation/automationserver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestAutomationServer : public QObject
{
    Q_OBJECT

private slots:
    void listenRefuses_data();
    void listenRefuses();
    void grabWritesOnlyInsideItsFolder_data();
    void grabWritesOnlyInsideItsFolder();
};

void TestAutomationServer::listenRefuses_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::addRow("a regular file at the socket path") << "file" << "exists and is not a socket";
    QTest::addRow("a folder others can read") << "mode 0755" << "must be the user's own with mode 0700";
    QTest::addRow("a folder the group can write") << "mode 0770" << "must be the user's own with mode 0700";
    QTest::addRow("a socket another program serves") << "served" << "is in use by another program";
    QTest::addRow("a socket left by an earlier run is replaced") << "stale" << "";
}

void TestAutomationServer::listenRefuses()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QTemporaryDir folder; // mode 0700
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("kvt.sock"));
    QLocalServer other;
    if (setup == QLatin1String("file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
    } else if (setup.startsWith(QLatin1String("mode"))) {
        const bool groupWrites = setup.endsWith(QLatin1String("0770"));
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                 | QFile::ExeGroup | (groupWrites ? QFile::WriteGroup : QFile::ReadOther)
                                                 | (groupWrites ? QFile::Permissions() : QFile::ExeOther));
    } else if (setup == QLatin1String("served")) {
        QVERIFY(other.listen(path));
    } else if (setup == QLatin1String("stale")) {
        // What a run that crashed leaves: the socket file, nobody behind it.
        // (Closing a server removes its file, so the file steps aside first.)
        QVERIFY(other.listen(path));
        QVERIFY(QFile::rename(path, path + QStringLiteral(".keep")));
        other.close();
        QVERIFY(QFile::rename(path + QStringLiteral(".keep"), path));
    }

    RecordingErrorReporter errors;
    QLabel window(QStringLiteral("window"));
    AutomationServer server(window, errors);
    QString error;
    const bool listening = server.listen(path, &error);
    if (reason.isEmpty()) {
        QVERIFY2(listening, qPrintable(error));
        return;
    }
    QVERIFY(!listening);
    QVERIFY2(error.contains(reason), qPrintable(error));
    if (setup == QLatin1String("file"))
        QCOMPARE(Contents(path), QByteArray("precious"));
    if (setup.startsWith(QLatin1String("mode")))
        QVERIFY(!QFileInfo::exists(path));
}

void TestAutomationServer::grabWritesOnlyInsideItsFolder_data()
{
    QTest::addColumn<QString>("name"); // %o: a folder outside the channel's
    QTest::addColumn<QString>("written"); // relative to the channel's folder; empty: nothing
    QTest::addColumn<QString>("answerStart");
    QTest::addRow("a name inside the folder") << "shot.png" << "shot.png" << "ok ";
    QTest::addRow("a subfolder inside") << "pictures/shot.png" << "pictures/shot.png" << "ok ";
    QTest::addRow("dot-dot out of the folder") << "../shot.png" << "" << "error \"../shot.png\" is outside";
    QTest::addRow("an absolute path elsewhere") << "%o/shot.png" << "" << "error \"%o/shot.png\" is outside";
    QTest::addRow("through a subfolder that links elsewhere") << "out/shot.png" << "" << "error \"out/shot.png\" is outside";
    QTest::addRow("a link in the picture's place") << "link.png" << "" << "error \"link.png\" is outside";
    QTest::addRow("a subfolder that does not exist") << "none/shot.png" << "" << "error cannot write";
}

void TestAutomationServer::grabWritesOnlyInsideItsFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(QString, answerStart);
    QTemporaryDir folder;
    QTemporaryDir outside;
    QVERIFY(folder.isValid() && outside.isValid());
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("pictures")));
    QVERIFY(QFile::link(outside.path(), folder.filePath(QStringLiteral("out"))));
    const QString victim = outside.filePath(QStringLiteral("victim.png"));
    {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    QVERIFY(QFile::link(victim, folder.filePath(QStringLiteral("link.png"))));
    name.replace(QStringLiteral("%o"), outside.path());
    answerStart.replace(QStringLiteral("%o"), outside.path());

    RecordingErrorReporter errors;
    QLabel window(QStringLiteral("window"));
    window.resize(40, 20);
    AutomationServer server(window, errors);
    QString error;
    QVERIFY2(server.listen(folder.filePath(QStringLiteral("kvt.sock")), &error), qPrintable(error));
    QLocalSocket client;
    client.connectToServer(folder.filePath(QStringLiteral("kvt.sock")));
    QVERIFY(client.waitForConnected(1000));
    client.write(QStringLiteral("grab %1\n").arg(name).toUtf8());
    QTRY_VERIFY(client.canReadLine());
    const QString answer = QString::fromUtf8(client.readLine()).trimmed();
    QVERIFY2(answer.startsWith(answerStart), qPrintable(answer));

    if (!written.isEmpty())
        QVERIFY(!QImage(folder.filePath(written), "PNG").isNull());
    QCOMPARE(Contents(victim), QByteArray("precious"));
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{QStringLiteral("victim.png")});
    QVERIFY(!QFileInfo::exists(QFileInfo(folder.path()).dir().filePath(QStringLiteral("shot.png"))));
}

QTEST_MAIN(TestAutomationServer)
#include "tst_automationserver.moc"
