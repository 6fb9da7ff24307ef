#include "link/comports.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestComPorts : public QObject
{
    Q_OBJECT
private slots:
    void mapsComNumbersToDevices();
    void listsPortsWhoseDeviceExists();
};

void TestComPorts::mapsComNumbersToDevices()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QDir dir(folder.path());
    QVERIFY(dir.mkdir(QStringLiteral("ports")));
    QFile device(dir.filePath(QStringLiteral("fake-tty")));
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    const QString devicePath = QFileInfo(device.fileName()).canonicalFilePath();
    QVERIFY(QFile::link(devicePath, dir.filePath(QStringLiteral("ports/COM3"))));
    QFile text(dir.filePath(QStringLiteral("ports/COM4")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(devicePath.toLocal8Bit() + "\n");
    text.close();
    QFile empty(dir.filePath(QStringLiteral("ports/COM6")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();

    const ComPorts ports(folder.path());
    QCOMPARE(ports.devicePath(3), devicePath); // symbolic link
    QCOMPARE(ports.devicePath(4), devicePath); // text file holding the path
    QCOMPARE(ports.devicePath(6), QString()); // text file without a path
    QCOMPARE(ports.devicePath(12), QStringLiteral("/dev/ttyS11")); // no entry
    QCOMPARE(ComPorts::portLabel(12), QStringLiteral("COM12"));
}

void TestComPorts::listsPortsWhoseDeviceExists()
{
    QTemporaryDir folder;
    QDir dir(folder.path());
    QVERIFY(dir.mkdir(QStringLiteral("ports")));
    QFile device(dir.filePath(QStringLiteral("fake-tty")));
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    QVERIFY(QFile::link(device.fileName(), dir.filePath(QStringLiteral("ports/COM50"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("ports/COM2"))));

    const QList<int> listed = ComPorts(folder.path()).existing();
    QVERIFY(listed.contains(50));
    QVERIFY(!listed.contains(2)); // a link to nothing
    // Numbers without an entry follow /dev/ttyS<n-1>.
    for (int n = 1; n < 50; ++n) {
        if (n == 2)
            continue;
        QCOMPARE(listed.contains(n), QFileInfo::exists(QStringLiteral("/dev/ttyS%1").arg(n - 1)));
    }
}

QTEST_GUILESS_MAIN(TestComPorts)
#include "tst_comports.moc"
