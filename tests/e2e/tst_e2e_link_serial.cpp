// The serial link against a real pty pair: COMn found through ports/COMn,
// bytes both ways, the line settings, busy and absent ports, a line that goes.
#include "recordingerrorreporter.h"

#include "tst_e2e_linkpeers.h"

#include "link/devicelink.h"
#include "link/portchooser.h"
#include "protocol/boardframe.h"
#include "protocol/kvterror.h"

#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;

class ScriptedChooser : public PortChooser
{
public:
    Choice answer;
    QList<QList<int>> asked;
    Choice choosePort(const QList<int> &ports) override
    {
        asked.append(ports);
        return answer;
    }
};

// The far end of the line, read and written as raw bytes.
struct FarEnd
{
    QSerialPort port;
    QByteArray got;
    bool open(const QString &path)
    {
        port.setPortName(path);
        // The pty refuses the modem-line calls; the port is open all the same.
        port.open(QIODevice::ReadWrite);
        return port.isOpen();
    }
    void pump() { got += port.readAll(); }
    void send(const QByteArray &bytes)
    {
        port.write(bytes);
        port.flush();
    }
};

} // namespace

class TestE2eLinkSerial : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bytesGoBothWaysUnchanged();
    void promptChoosesMappedPort();
    void busyAndAbsentPortsFail();
    void vanishedLineClosesLink();
    void blockBeyondOutputQueueIsRefusedWhole();

private:
    void mapCom(int n, const QString &target);

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<e2e::PtyPair> m_pty;
};

void TestE2eLinkSerial::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("ports")));
    m_pty = std::make_unique<e2e::PtyPair>(m_folder->path());
    QVERIFY2(m_pty->waitReady(), "socat did not make the pty pair");
    mapCom(3, m_pty->linkA());
}

void TestE2eLinkSerial::cleanup()
{
    m_pty.reset(); // stops socat by its PID
    m_folder.reset();
}

void TestE2eLinkSerial::mapCom(int n, const QString &target)
{
    QVERIFY(QFile::link(target, QDir(m_folder->path()).filePath(QStringLiteral("ports/COM%1").arg(n))));
}

void TestE2eLinkSerial::bytesGoBothWaysUnchanged()
{
    RecordingErrorReporter reporter;
    ScriptedChooser chooser;
    DeviceLink link(m_folder->path(), &chooser, &reporter);
    QStringList packets;
    for (int rule = 1; rule <= 4; ++rule)
        link.setPacketHandler(rule, [&, rule](const QByteArray &p) {
            packets << QStringLiteral("%1 %2").arg(rule).arg(QString::fromLatin1(p.toHex()));
        });
    link.setComNumber(3);
    FarEnd far;
    QVERIFY(far.open(m_pty->linkB()));

    // XON, XOFF, CR, LF, NUL, FF and DEL: a line with flow control or
    // character translation would change them.
    const QByteArray frame = BoardFrame(QByteArray("\x11\x13\x0D\x0A\x00\xFF\x7F\x0D", 8));
    link.write(frame);
    QVERIFY(link.isOpen());
    QTRY_VERIFY_WITH_TIMEOUT((far.pump(), far.got.size() >= frame.size()), kWaitMs);
    QTest::qWait(100);
    far.pump();
    QCOMPARE(far.got.toHex(' '), frame.toHex(' '));

    // The line settings as the device holds them.
    const int fd = ::open(m_pty->deviceA().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    termios tio{};
    QCOMPARE(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    QCOMPARE(cfgetospeed(&tio), speed_t(B9600));
    QCOMPARE(cfgetispeed(&tio), speed_t(B9600));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QVERIFY(!(tio.c_cflag & PARENB));
    QVERIFY(!(tio.c_cflag & CSTOPB));
    QVERIFY(!(tio.c_cflag & CRTSCTS));
    QVERIFY(!(tio.c_iflag & (IXON | IXOFF)));

    // Replies from the line, cut anywhere, become packets.
    const QByteArray reply = QByteArray::fromHex("480B0D00FF11130A0102030405FF");
    far.send(reply.left(3));
    QTest::qWait(50);
    far.send(reply.mid(3) + QByteArray(":0103040001000AED\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(packets.size(), 2, kWaitMs);
    QCOMPARE(packets[0], QStringLiteral("1 ") + QString::fromLatin1(reply.toHex()));
    QCOMPARE(packets[1], QStringLiteral("3 ") + QString::fromLatin1(QByteArray(":0103040001000AED\r\n").toHex()));
    QVERIFY2(reporter.errors().isEmpty(), qPrintable(reporter.errors().join('\n')));
}

void TestE2eLinkSerial::promptChoosesMappedPort()
{
    RecordingErrorReporter reporter;
    ScriptedChooser chooser;
    chooser.answer = {true, 3};
    DeviceLink link(m_folder->path(), &chooser, &reporter);
    link.setComNumber(0);
    FarEnd far;
    QVERIFY(far.open(m_pty->linkB()));
    link.write(QByteArray("H\x01\x00\x01", 4));
    QCOMPARE(chooser.asked.size(), 1);
    QVERIFY(chooser.asked[0].contains(3));
    QCOMPARE(link.comNumber(), 3);
    QTRY_VERIFY_WITH_TIMEOUT((far.pump(), far.got.size() >= 4), kWaitMs);
    QCOMPARE(far.got, QByteArray("H\x01\x00\x01", 4));
}

void TestE2eLinkSerial::busyAndAbsentPortsFail()
{
    RecordingErrorReporter reporter;
    ScriptedChooser chooser;
    DeviceLink first(m_folder->path(), &chooser, &reporter);
    first.setComNumber(3);
    first.setOpen(true);

    DeviceLink second(m_folder->path(), &chooser, &reporter);
    second.setComNumber(3);
    QVERIFY_THROWS_EXCEPTION(KvtError, second.write(QByteArray("H")));
    QVERIFY(!second.isOpen());

    mapCom(9, QDir(m_folder->path()).filePath(QStringLiteral("no-such-device")));
    second.setComNumber(9);
    try {
        second.setOpen(true);
        QFAIL("an absent port opened");
    } catch (const KvtError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("COM9")), qPrintable(e.text()));
    }
    QVERIFY(!second.isOpen());
    QVERIFY(first.isOpen());
}

void TestE2eLinkSerial::vanishedLineClosesLink()
{
    RecordingErrorReporter reporter;
    ScriptedChooser chooser;
    DeviceLink link(m_folder->path(), &chooser, &reporter);
    link.setComNumber(3);
    link.setOpen(true);
    m_pty->stop(); // the adapter is pulled
    QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), kWaitMs);
    // The next frame tries to open it again and says why it cannot.
    QVERIFY_THROWS_EXCEPTION(KvtError, link.write(QByteArray("H")));
    QVERIFY(!link.isOpen());
}

void TestE2eLinkSerial::blockBeyondOutputQueueIsRefusedWhole()
{
    RecordingErrorReporter reporter;
    ScriptedChooser chooser;
    DeviceLink link(m_folder->path(), &chooser, &reporter);
    link.setComNumber(3);
    FarEnd far;
    QVERIFY(far.open(m_pty->linkB()));
    QVERIFY_THROWS_EXCEPTION(KvtError, link.write(QByteArray(4097, 'x')));
    link.write(QByteArray(4096, 'y'));
    QTRY_VERIFY_WITH_TIMEOUT((far.pump(), far.got.size() >= 4096), kWaitMs);
    QTest::qWait(100);
    far.pump();
    QCOMPARE(far.got, QByteArray(4096, 'y'));
}

QTEST_GUILESS_MAIN(TestE2eLinkSerial)
#include "tst_e2e_link_serial.moc"
