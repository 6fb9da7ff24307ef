// The main window in-process, with the real pacer and the program's own
// Telnet link, against a Modbus ASCII slave from the stock pymodbus library
// that sits on a pty behind ser2net. The slave was written by nobody here, so
// it checks the frames the program builds and the program's reading of the
// replies against an independent implementation. Only Modbus frames go on
// this line: the stock ASCII framer drops its buffer on a ':' inside foreign
// bytes and stops answering after one frame with a bad LRC.
#include "recordingerrorreporter.h"

#include "tst_e2e_linkpeers.h"

#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/framesender.h"
#include "link/linksettings.h"
#include "link/pacer.h"
#include "link/trafficlog.h"
#include "mediaboard/hexfields.h"
#include "mediaboard/mediaboard.h"
#include "mediaboard/modbusregisterpage.h"
#include "protocol/modbus.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr quint8 kUnit = 1;
constexpr int kReplyWaitMs = 3000;

QString SlaveScript()
{
    return QStringLiteral(KVT_SOURCE_DIR "/tests/e2e/pymodbus_slave.py");
}

// The Python that has Debian's python3-pymodbus: the system one first (a
// python3 earlier on PATH may be another installation without it).
QString PythonWithPymodbus()
{
    for (const QString &python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import pymodbus, serial")});
        if (!probe.waitForStarted(e2e::kStartMs))
            continue;
        if (!probe.waitForFinished(10000)) {
            e2e::Stop(probe);
            continue;
        }
        if (probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return python;
    }
    return QString();
}

// The pymodbus slave on one end of the pty pair, stopped by its PID.
class PymodbusSlave
{
public:
    PymodbusSlave(const QString &python, const QString &device)
    {
        m_process.setProgram(python);
        m_process.setArguments({QStringLiteral("-u"), SlaveScript(), device, QString::number(kUnit)});
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
    }
    ~PymodbusSlave() { e2e::Stop(m_process); }

    bool waitReady()
    {
        return m_process.waitForStarted(e2e::kStartMs) && e2e::WaitUntil([this] {
                   collect();
                   return m_out.contains("ready\n") || m_process.state() == QProcess::NotRunning;
               }) && m_out.contains("ready\n");
    }
    // Everything it printed so far: "write START: HHHH ..." for each stored write.
    QByteArray output()
    {
        collect();
        return m_out;
    }

private:
    void collect() { m_out += m_process.readAll(); }

    QProcess m_process;
    QByteArray m_out;
};

} // namespace

class TestE2ePymodbus : public QObject
{
    Q_OBJECT

private:
    QString python;
    RealPacer pacer;
    RecordingErrorReporter errors;
    // Fresh for every row, declared in start-up order so they go in reverse:
    // tool, gateway, slave, pty pair, folders.
    std::unique_ptr<QTemporaryDir> peersFolder;
    std::unique_ptr<QTemporaryDir> programFolder;
    std::unique_ptr<e2e::PtyPair> pty;
    std::unique_ptr<PymodbusSlave> slave;
    std::unique_ptr<e2e::Ser2Net> gateway;
    std::unique_ptr<TForm1> form;

    // The first logged line that starts with prefix, waiting for it (bounded).
    QString waitForLogLine(const QString &prefix)
    {
        QString found;
        e2e::WaitUntil(
            [&] {
                for (const QString &line : form->trafficLog().lines()) {
                    if (line.startsWith(prefix)) {
                        found = line;
                        return true;
                    }
                }
                return false;
            },
            kReplyWaitMs);
        return found;
    }

    // The slave printed that it stored a write (its output comes through a
    // pipe of its own, so it may trail the reply a little).
    bool slaveStored(const QByteArray &line)
    {
        return e2e::WaitUntil([&] { return slave->output().contains(line); }, kReplyWaitMs);
    }

    // What the program logged and what the slave printed, for a failed check.
    QString diagnosis()
    {
        return QStringLiteral("log:\n%1\nslave:\n%2\nerrors: %3")
            .arg(form->trafficLog().lines().join(QLatin1Char('\n')), QString::fromUtf8(slave->output()),
                 errors.errors().join(QLatin1Char('\n')));
    }

    void send(const QByteArray &payload)
    {
        BusContext bus = form->panelContext().bus;
        RunGuarded(errors, [&] { SendModbusFrame(bus, payload); });
    }

private slots:
    void initTestCase()
    {
        python = PythonWithPymodbus();
        if (python.isEmpty())
            QSKIP("python3-pymodbus (with python3-serial) is not installed; scripts/deps installs it");
    }

    void init()
    {
        errors.clear();
        peersFolder = std::make_unique<QTemporaryDir>();
        programFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(peersFolder->isValid() && programFolder->isValid());
        pty = std::make_unique<e2e::PtyPair>(peersFolder->path());
        QVERIFY2(pty->waitReady(), "socat did not make the pty pair");
        slave = std::make_unique<PymodbusSlave>(python, pty->deviceA());
        QVERIFY2(slave->waitReady(), slave->output().constData());
        gateway = std::make_unique<e2e::Ser2Net>(peersFolder->path(), pty->deviceB());
        QVERIFY2(gateway->waitReady(), gateway->output().constData());

        const QString program = programFolder->path();
        AppEnvironment environment{program, pacer, errors,
                                   [this, program] {
                                       return std::make_unique<DeviceLink>(program, nullptr, &errors);
                                   },
                                   [](QDialog &) {}};
        form = std::make_unique<TForm1>(environment);
        DeviceLink &link = form->link();
        link.setDeviceLayer(DeviceLayer::dlWinsock);
        link.setWsAddress(QStringLiteral("127.0.0.1"));
        link.setWsPort(QString::number(gateway->port()));
        link.setWsTelnet(true);
    }

    void cleanup()
    {
        form.reset();
        gateway.reset();
        slave.reset();
        pty.reset();
        programFolder.reset();
        peersFolder.reset();
    }

    void slaveStoresTheWrittenPairAndReadsItBack_data()
    {
        QTest::addColumn<quint16>("start");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QString>("firstReply");
        QTest::addColumn<QString>("secondReply");
        QTest::addColumn<QString>("ackReply");
        // The replies are the slave's own text: its LRC, computed by pymodbus.
        QTest::addRow("key memory slot registers, overwritten with zeros")
            << quint16(0x0011) << QByteArray::fromHex("1234ABCD") << QByteArray::fromHex("00000000")
            << QStringLiteral("-> :0103041234ABCD3A\r\n, id = 1, func = 3, len = 4, 12 34 AB CD ")
            << QStringLiteral("-> :01030400000000F8\r\n, id = 1, func = 3, len = 4, 00 00 00 00 ")
            << QStringLiteral("-> :011000110002DC\r\n, id = 1, func = 10, len = 2, ");
        QTest::addRow("six-key setting registers, top bits and letters in every digit")
            << quint16(0x0081) << QByteArray::fromHex("FFFE8001") << QByteArray::fromHex("0A0BC0DE")
            << QStringLiteral("-> :010304FFFE80017A\r\n, id = 1, func = 3, len = 4, FF FE 80 01 ")
            << QStringLiteral("-> :0103040A0BC0DE45\r\n, id = 1, func = 3, len = 4, 0A 0B C0 DE ")
            << QStringLiteral("-> :0110008100026C\r\n, id = 1, func = 10, len = 2, ");
    }

    void slaveStoresTheWrittenPairAndReadsItBack()
    {
        QFETCH(quint16, start);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QString, firstReply);
        QFETCH(QString, secondReply);
        QFETCH(QString, ackReply);
        const QString startHex = QStringLiteral("%1").arg(start, 4, 16, QLatin1Char('0')).toUpper();
        const auto slaveLine = [&](const QByteArray &data) {
            return QStringLiteral("write %1: %2\n")
                .arg(startHex, QString::fromLatin1(data.toHex().toUpper().insert(4, ' ')))
                .toLatin1();
        };

        // Two rounds on one link: the slave keeps answering, so every frame
        // the program sent had a right LRC and nothing foreign between them.
        send(ModbusWriteRequest(kUnit, start, first));
        const QString writeAck = ackReply.left(ackReply.indexOf(QLatin1Char('\r')));
        QVERIFY2(waitForLogLine(writeAck) == ackReply, qPrintable(diagnosis()));
        QVERIFY2(slaveStored(slaveLine(first)), qPrintable(diagnosis()));
        send(ModbusReadRequest(kUnit, start, 2));
        QCOMPARE(waitForLogLine(QStringLiteral("-> :0103")), firstReply);

        form->trafficLog().clear();
        send(ModbusWriteRequest(kUnit, start, second));
        QVERIFY2(waitForLogLine(writeAck) == ackReply, qPrintable(diagnosis()));
        QVERIFY2(slaveStored(slaveLine(second)), qPrintable(diagnosis()));
        send(ModbusReadRequest(kUnit, start, 2));
        QCOMPARE(waitForLogLine(QStringLiteral("-> :0103")), secondReply);

        QCOMPARE(errors.errors().join(QLatin1Char('\n')), QString());
        const QStringList lines = form->trafficLog().lines();
        QVERIFY2(lines.filter(QStringLiteral("-> :01")).size() == 2, qPrintable(lines.join(QLatin1Char('|'))));
    }

    // The register page "主頁" as the technician uses it: "送出" writes the
    // row's two values at Address and Address + 4 of the slave in ID, "讀取"
    // shows what the slave holds.
    void registerPageWritesAndReadsBack()
    {
        ModbusRegisterPage &page = form->mediaBoard().registers();
        page.idField(2)->setText(QStringLiteral("1"));
        page.addressField(2)->setText(QStringLiteral("40"));
        page.dataField(2, 0)->setText(QStringLiteral("1234ABCD"));
        page.dataField(2, 1)->setText(QStringLiteral("0"));
        page.sendButton(2, 0)->click();
        page.sendButton(2, 1)->click();
        QVERIFY2(slaveStored("write 0040: 1234 ABCD\n"), qPrintable(diagnosis()));
        QVERIFY2(slaveStored("write 0044: 0000 0000\n"), qPrintable(diagnosis()));

        page.dataField(2, 0)->clear();
        page.dataField(2, 1)->setText(QStringLiteral("FFFF"));
        page.readButton(2, 0)->click();
        QCOMPARE(page.dataField(2, 0)->text(), QStringLiteral("1234ABCD"));
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("讀取 ID 01 位址 0040：1234ABCD"));
        page.readButton(2, 1)->click();
        QCOMPARE(page.dataField(2, 1)->text(), QStringLiteral("0"));
        // Outside the slave's registers: it answers with exception 02.
        page.addressField(2)->setText(QStringLiteral("1000"));
        page.readButton(2, 0)->click();
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("讀取 ID 01 位址 1000：例外碼 02"));
        QCOMPARE(page.dataField(2, 0)->text(), QStringLiteral("1234ABCD"));
        QCOMPARE(errors.errors().join(QLatin1Char('\n')), QString());
    }
};

QTEST_MAIN(TestE2ePymodbus)
#include "tst_e2e_pymodbus.moc"
