// Drives the built kvt program through its automation channel: the program
// runs from a folder of its own (so its kvt.ini stays there), offscreen, and
// every run is stopped by its process id when the test ends.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalSocket>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

constexpr int kStartMs = 15000;
constexpr int kAnswerMs = 10000;
constexpr int kExitMs = 10000;

// One run of the kvt binary copied into a temporary folder.
class KvtRun
{
public:
    // settingsFile: bytes of a kvt.ini placed beside the program first.
    explicit KvtRun(const QByteArray &settingsFile = QByteArray())
    {
        m_program = m_dir.filePath(QStringLiteral("kvt"));
        if (!QFile::copy(QStringLiteral(KVT_BINARY_DIR "/kvt"), m_program))
            return;
        if (!settingsFile.isNull()) {
            QFile ini(settingsPath());
            if (!ini.open(QIODevice::WriteOnly) || ini.write(settingsFile) != settingsFile.size())
                return;
        }
        m_socketPath = m_dir.filePath(QStringLiteral("automation.sock"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KVT_AUTOMATION"), m_socketPath);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(m_program, {});
        if (!m_process.waitForStarted(kStartMs))
            return;
        const QDeadlineTimer deadline(kStartMs);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            m_socket.connectToServer(m_socketPath);
            if (m_socket.waitForConnected(500))
                return;
            QThread::msleep(50);
        }
    }

    ~KvtRun()
    {
        m_socket.abort();
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill(); // by its process id
            m_process.waitForFinished(kExitMs);
        }
    }

    bool connected() const { return m_socket.state() == QLocalSocket::ConnectedState; }
    QString settingsPath() const { return m_dir.filePath(QStringLiteral("kvt.ini")); }
    // The program's folder, which holds the socket: private, and the only
    // place grab writes to.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QProcess &process() { return m_process; }

    // Sends raw bytes (a test of line handling).
    void send(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // Sends and closes the connection at once, like a shell pipe.
    void sendAndHangUp(const QByteArray &bytes)
    {
        send(bytes);
        m_socket.disconnectFromServer();
    }

    // The next answer line, or "(no answer)" when none comes in time.
    QString nextAnswer()
    {
        const QDeadlineTimer deadline(kAnswerMs);
        while (!m_socket.canReadLine()) {
            const qint64 left = deadline.remainingTime();
            if (left <= 0 || !m_socket.waitForReadyRead(int(left)))
                return QStringLiteral("(no answer)");
        }
        return QString::fromUtf8(m_socket.readLine()).chopped(1);
    }

    QString ask(const QString &command)
    {
        send(command.toUtf8() + '\n');
        return nextAnswer();
    }

private:
    QTemporaryDir m_dir;
    QString m_program;
    QString m_socketPath;
    QProcess m_process;
    QLocalSocket m_socket;
};

const QString kOk = QStringLiteral("ok");
const QString kTrue = QStringLiteral("ok true");
const QString kFalse = QStringLiteral("ok false");

// Key 3 ("浴室"): slot 1 with rows 1-4 enabled, only output 2 of column 1 on.
const QByteArray kSettings = "[RawData\\Key3]\r\nBoard1=0F02000000000000\r\n";

} // namespace

class TestKvtBinary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void namedControlIsFound_data();
    void namedControlIsFound();
    void keySelectionRunsKeySwitch();
    void flagsToggleThroughMenuAndHandler();
    void grabSavesPictures_data();
    void grabSavesPictures();
    void connectionDialogOpensAndCloses_data();
    void connectionDialogOpensAndCloses();
    void badCommandsAnswerWithErrors_data();
    void badCommandsAnswerWithErrors();
    void overlongLineIsRefusedAndSkipped();
    void quitEndsCleanlyWritingNothing_data();
    void quitEndsCleanlyWritingNothing();
    void commandsSentBeforeHangingUpStillRun();

private:
    std::unique_ptr<KvtRun> m_run; // shared by the checks that leave the program running
};

void TestKvtBinary::initTestCase()
{
    m_run = std::make_unique<KvtRun>(kSettings);
    QVERIFY2(m_run->connected(), "kvt did not open its automation channel");
}

void TestKvtBinary::cleanupTestCase()
{
    m_run.reset();
}

void TestKvtBinary::namedControlIsFound_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const auto add = [](const QString &name, const char *className) {
        QTest::addRow("%s", qPrintable(name)) << name << QString::fromLatin1(className);
    };
    for (const char *menu : {"N1", "N8", "miTestBoard"})
        add(QLatin1String(menu), "QMenu");
    for (const char *item : {"N2", "N3", "N4", "N5", "N6", "N7", "N9", "miScan", "btnRead", "miReadAll",
                             "miSendKey", "miSendAll", "miRead6Key", "miSend6Key", "mi6LightsAction",
                             "miRelaymodbus", "miReadOnly", "miCPUmodbus", "TransAllOrder"})
        add(QLatin1String(item), "QAction");
    add(QStringLiteral("Form1"), "TForm1");
    add(QStringLiteral("ComboBox1"), "QComboBox");
    add(QStringLiteral("ComboBox2"), "QComboBox");
    for (const char *tabs : {"PageControl1", "PageControl2", "PageControl3", "pgModbus"})
        add(QLatin1String(tabs), "QTabWidget");
    add(QStringLiteral("ListBox1"), "TrafficLogView");
    for (int n = 1; n <= 18; ++n)
        add(QStringLiteral("fmLightBoard%1").arg(n), "TfmLightBoard");
    const QString panel = QStringLiteral("fmLightBoard5/");
    add(panel + QStringLiteral("CheckBox1"), "QCheckBox");
    add(panel + QStringLiteral("Panel1"), "QFrame");
    add(panel + QStringLiteral("btnSendAll"), "QToolButton");
    for (int r = 1; r <= 8; ++r) {
        add(panel + QStringLiteral("cb%1").arg(r), "QCheckBox");
        for (int c = 1; c <= 4; ++c)
            add(panel + QStringLiteral("l%1%2").arg(r).arg(c), "LedIndicator");
    }
    for (int c = 1; c <= 4; ++c)
        add(panel + QStringLiteral("lb%1").arg(c), "QLabel");
    add(QStringLiteral("cbMainBoard3"), "QCheckBox");
    add(QStringLiteral("Panel9"), "QFrame");
    for (int c = 1; c <= 6; ++c)
        add(QStringLiteral("fm6Lights%1").arg(c), "Tfm6Lights");
    add(QStringLiteral("cb6LightsEnabled"), "QCheckBox");
    add(QStringLiteral("se6LightsMno"), "QSpinBox");
    add(QStringLiteral("btn6LightsSendAll"), "QPushButton");
    add(QStringLiteral("btn6LightsGetAll"), "QPushButton");
    add(QStringLiteral("frmCommSetup"), "TfrmCommSetup");
}

void TestKvtBinary::namedControlIsFound()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QCOMPARE(m_run->ask(QStringLiteral("find ") + name), QStringLiteral("ok ") + className);
}

void TestKvtBinary::keySelectionRunsKeySwitch()
{
    const QStringList probes{QStringLiteral("l11"), QStringLiteral("l21"), QStringLiteral("l12"),
                             QStringLiteral("cb1"), QStringLiteral("cb5")};
    const auto states = [this, &probes] {
        QStringList answers;
        for (const QString &probe : probes)
            answers << m_run->ask(QStringLiteral("checked fmLightBoard1/") + probe);
        return answers;
    };
    // The board of slot 1 is present, so the switch shows its stored pattern.
    QCOMPARE(m_run->ask(QStringLiteral("click fmLightBoard1/CheckBox1")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("checked fmLightBoard1/CheckBox1")), kTrue);
    const QStringList before = states();

    QCOMPARE(m_run->ask(QStringLiteral("select ComboBox1 2")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("text ComboBox1")), QStringLiteral("ok 浴室"));
    const QStringList after = states();
    QCOMPARE(after, (QStringList{kFalse, kTrue, kFalse, kTrue, kFalse}));
    QVERIFY2(before != after, "the panel showed the key's pattern before the switch");
    // The switch re-enabled the key list and no error box came up.
    QCOMPARE(m_run->ask(QStringLiteral("enabled ComboBox1")), kTrue);
    QCOMPARE(m_run->ask(QStringLiteral("windows")), QStringLiteral("ok Form1:TForm1"));
}

void TestKvtBinary::flagsToggleThroughMenuAndHandler()
{
    QCOMPARE(m_run->ask(QStringLiteral("checked miRelaymodbus")), kTrue);
    QCOMPARE(m_run->ask(QStringLiteral("click miRelaymodbus")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("checked miRelaymodbus")), kFalse);

    // The same handler run by name, with the menu item as its argument.
    QCOMPARE(m_run->ask(QStringLiteral("checked miCPUmodbus")), kTrue);
    QCOMPARE(m_run->ask(QStringLiteral("invoke Form1 mi6LightsActionClick miCPUmodbus")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("checked miCPUmodbus")), kFalse);

    // Read-only reaches the panels: their LEDs no longer take clicks.
    QCOMPARE(m_run->ask(QStringLiteral("invoke Form1 miReadOnlyClick")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("checked miReadOnly")), kTrue);
    QCOMPARE(m_run->ask(QStringLiteral("click miReadOnly")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("checked miReadOnly")), kFalse);
}

void TestKvtBinary::grabSavesPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimumSize");
    QTest::addRow("main window") << QString() << QSize(877, 647);
    QTest::addRow("one light-board panel") << QStringLiteral("fmLightBoard1") << QSize(100, 100);
}

void TestKvtBinary::grabSavesPictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, minimumSize);
    const QString path = m_run->filePath(QStringLiteral("shot.png"));
    QFile::remove(path);
    const QString answer = m_run->ask(QStringLiteral("grab shot.png %1").arg(name).trimmed());
    const QImage image(path, "PNG");
    QVERIFY2(!image.isNull(), qPrintable(answer));
    QCOMPARE(answer, QStringLiteral("ok %1x%2").arg(image.width()).arg(image.height()));
    QVERIFY(image.width() >= minimumSize.width() && image.height() >= minimumSize.height());
    // Drawn, not blank: text, frames and check marks bring many colours.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 8, qPrintable(QString::number(colours.size())));
}

void TestKvtBinary::connectionDialogOpensAndCloses_data()
{
    QTest::addColumn<QString>("open");
    QTest::addRow("menu item clicked") << QStringLiteral("click N4");
    QTest::addRow("handler invoked") << QStringLiteral("invoke Form1 N4Click");
}

void TestKvtBinary::connectionDialogOpensAndCloses()
{
    QFETCH(QString, open);
    QCOMPARE(m_run->ask(QStringLiteral("visible frmCommSetup")), kFalse);
    // The dialog is modal: the answer comes at once and the channel goes on
    // working while it is up.
    QCOMPARE(m_run->ask(open), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("visible frmCommSetup")), kTrue);
    QCOMPARE(m_run->ask(QStringLiteral("text frmCommSetup")), QStringLiteral("ok 通訊設定"));
    QCOMPARE(m_run->ask(QStringLiteral("find frmCommSetup/rgCommPort")).left(3), QStringLiteral("ok "));
    QCOMPARE(m_run->ask(QStringLiteral("close frmCommSetup")), kOk);
    QCOMPARE(m_run->ask(QStringLiteral("visible frmCommSetup")), kFalse);
}

void TestKvtBinary::badCommandsAnswerWithErrors_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answerStart");
    QTest::addRow("unknown command") << "launch miScan" << "error unknown command";
    QTest::addRow("empty line") << "" << "error empty command";
    QTest::addRow("unknown name") << "find fmLightBoard19" << "error no object named";
    QTest::addRow("shared name") << "find l11" << "error \"l11\" names";
    QTest::addRow("key index past the list") << "select ComboBox1 62" << "error \"ComboBox1\" has no entry 62";
    QTest::addRow("key index not a number") << "select ComboBox1 two" << "error \"two\" is not a number";
    QTest::addRow("hidden page") << "select PageControl1 3" << "error page 3 of \"PageControl1\" cannot be chosen";
    QTest::addRow("missing slot") << "invoke Form1 miScanClik" << "error \"Form1\" has no public slot";
    QTest::addRow("wrong argument count") << "invoke Form1 N4Click 1" << "error \"Form1\" has no public slot";
    QTest::addRow("argument of the wrong class") << "invoke Form1 mi6LightsActionClick ComboBox1"
                                                 << "error \"ComboBox1\" is no QAction*";
    QTest::addRow("packet not hex") << "invoke Form1 ApdDataPacket1StringPacket 48ZZ"
                                    << "error \"48ZZ\" is not hex bytes";
    QTest::addRow("nothing to check") << "checked ComboBox1" << "error \"ComboBox1\" cannot be checked";
    QTest::addRow("nothing to read") << "text fmLightBoard5/Panel1" << "error \"fmLightBoard5/Panel1\" (QFrame) has no text";
    QTest::addRow("menu item is no widget") << "close miScan" << "error \"miScan\" is not a widget";
    QTest::addRow("picture file not writable") << "grab nonexistent-dir/x.png" << "error cannot write";
    QTest::addRow("picture outside the channel's folder") << "grab /tmp/x.png" << "error \"/tmp/x.png\" is outside";
    QTest::addRow("too many words") << "find Form1 Form1" << "error usage: find NAME";
}

void TestKvtBinary::badCommandsAnswerWithErrors()
{
    QFETCH(QString, command);
    QFETCH(QString, answerStart);
    const QString answer = m_run->ask(command);
    QVERIFY2(answer.startsWith(answerStart), qPrintable(answer));
    // The program goes on answering.
    QCOMPARE(m_run->ask(QStringLiteral("find Form1")), QStringLiteral("ok TForm1"));
}

void TestKvtBinary::overlongLineIsRefusedAndSkipped()
{
    // Sent in pieces, the way a pipe delivers it, then the end of the line and
    // a good command.
    const QByteArray piece(16 * 1024, 'x');
    for (int i = 0; i < 6; ++i)
        m_run->send(piece);
    QCOMPARE(m_run->nextAnswer(), QStringLiteral("error line too long"));
    m_run->send(piece + "\nfind Form1\n");
    QCOMPARE(m_run->nextAnswer(), QStringLiteral("ok TForm1"));
}

void TestKvtBinary::quitEndsCleanlyWritingNothing_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addRow("idle") << QStringList();
    QTest::addRow("key switched and flag set") << QStringList{"select ComboBox1 5", "click miReadOnly"};
    QTest::addRow("connection dialog open") << QStringList{"click N4"};
}

void TestKvtBinary::quitEndsCleanlyWritingNothing()
{
    QFETCH(QStringList, before);
    KvtRun run;
    QVERIFY(run.connected());
    for (const QString &command : before)
        QCOMPARE(run.ask(command), kOk);
    QCOMPARE(run.ask(QStringLiteral("quit")), kOk);
    QVERIFY(run.process().waitForFinished(kExitMs));
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);
    QVERIFY(!QFile::exists(run.settingsPath()));
}

void TestKvtBinary::commandsSentBeforeHangingUpStillRun()
{
    KvtRun run;
    QVERIFY(run.connected());
    run.sendAndHangUp("select ComboBox1 2\nclick miReadOnly\nquit\n");
    QVERIFY(run.process().waitForFinished(kExitMs));
    QCOMPARE(run.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestKvtBinary)
#include "tst_e2e_kvtbinary.moc"
