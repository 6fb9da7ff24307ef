// Both dimmer boards of the virtual room against the whole main window on the
// real clock: the window writes circuits and main dimmer levels over a Telnet
// link, clears its controls, reads them back, and must see what it wrote.
#include "recordingerrorreporter.h"

#include "tst_e2e_linkpeers.h"

#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "panels/maindimmer.h"
#include "panels/sixcircuit.h"
#include "scenes/keyswitch.h"
#include "scenes/maindimmerdata.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kReplySettleMs = 400;

// kvt-roomsim as a Telnet gateway on a free loopback port, stopped by its PID.
class Room
{
public:
    Room()
    {
        m_process.setProgram(QStringLiteral(KVT_BINARY_DIR "/kvt-roomsim"));
        m_process.setArguments({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                QStringLiteral("--fast"), QStringLiteral("--quiet")});
        m_process.start();
    }
    ~Room() { e2e::Stop(m_process); }

    // The port once it says where it listens; 0 when it does not come up.
    quint16 waitPort()
    {
        if (!m_process.waitForStarted(e2e::kStartMs))
            return 0;
        const QRegularExpression where(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
        QRegularExpressionMatch match;
        e2e::WaitUntil([&] {
            m_out += m_process.readAllStandardOutput();
            match = where.match(QString::fromUtf8(m_out));
            return match.hasMatch() || m_process.state() == QProcess::NotRunning;
        });
        return match.hasMatch() ? quint16(match.captured(1).toUInt()) : 0;
    }

private:
    QProcess m_process;
    QByteArray m_out;
};

} // namespace

class TestE2eDimmers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Room> room;
    QTemporaryDir dir;
    RealPacer pacer;
    RecordingErrorReporter errors;
    std::unique_ptr<TForm1> form;

    Tfm6Lights *circuit(int c) const { return form->panels().DimmerPanels.at(c); }
    void settle() { QTest::qWait(kReplySettleMs); }

private slots:
    void init()
    {
        room = std::make_unique<Room>();
        const quint16 port = room->waitPort();
        QVERIFY2(port != 0, "kvt-roomsim did not come up");
        AppEnvironment environment{dir.path(), pacer, errors,
                                   [this] { return std::make_unique<DeviceLink>(dir.path(), nullptr, &errors); },
                                   [](QDialog &) {}};
        form = std::make_unique<TForm1>(environment);
        DeviceLink &link = form->link();
        link.setDeviceLayer(DeviceLayer::dlWinsock);
        link.setWsAddress(QStringLiteral("127.0.0.1"));
        link.setWsPort(QString::number(port));
        link.setWsTelnet(true);
    }

    void cleanup()
    {
        form.reset();
        room.reset();
    }

    void sixCircuitsComeBackAsWritten()
    {
        // The room's six-circuit board has machine number 5.
        form->findChild<QSpinBox *>(QStringLiteral("se6LightsMno"))->setValue(5);
        form->findChild<QCheckBox *>(QStringLiteral("cb6LightsEnabled"))->setChecked(true);
        QByteArray written[kCircuitCount + 1];
        for (int c = 1; c <= kCircuitCount; ++c) {
            for (int n = 1; n <= kCircuitLevelBars; ++n)
                circuit(c)->levelBar(n)->setValue((c * 7 + n * 5) % 64);
            circuit(c)->enabledBox()->setChecked(c % 2 == 1);
            circuit(c)->elapseBox()->setValue(c * 21);
            written[c] = circuit(c)->EncodeCircuitData();
        }
        // Key 16 is written and key 17 read back: they share their registers.
        form->keySwitch().selectKeyIndex(16);
        form->btn6LightsSendAllClick();
        for (int c = 1; c <= kCircuitCount; ++c)
            circuit(c)->DecodeCircuitData(QByteArray(4, '\0'));
        form->keySwitch().selectKeyIndex(17);
        form->btn6LightsGetAllClick();
        settle();

        QCOMPARE(errors.errors().join(QLatin1Char('\n')), QString());
        for (int c = 1; c <= kCircuitCount; ++c)
            QCOMPARE(circuit(c)->EncodeCircuitData().toHex(' '), written[c].toHex(' '));
    }

    void mainDimmerComesBackAsWritten()
    {
        MainDimmer &dimmer = form->mainDimmer();
        form->panels().BoardCheckBoxes.at(kMainDimmerSlot)->setChecked(true);
        dimmer.setGroupEnabled(1, true);
        dimmer.setGroupEnabled(2, false);
        const int levels[2][4] = {{1, 2, 3, 0}, {3, 2, 1, 0}};
        for (int g = 1; g <= 2; ++g)
            for (int c = 1; c <= 4; ++c)
                dimmer.setLevel(g, c, levels[g - 1][c - 1]);
        const QByteArray written = EncodeMainDimmerData(dimmer);
        QCOMPARE(written.toHex(' '), QByteArray("01 0d 01 0a 01 07 01 00"));

        form->keySwitch().selectKeyIndex(5);
        form->miSendKeyClick();
        DecodeMainDimmerData(dimmer, QByteArray::fromHex("0400040004000400"));
        QVERIFY(!dimmer.groupEnabled(1));
        form->btnReadClick();
        settle();

        QCOMPARE(errors.errors().join(QLatin1Char('\n')), QString());
        QCOMPARE(EncodeMainDimmerData(dimmer).toHex(' '), written.toHex(' '));
    }
};

QTEST_MAIN(TestE2eDimmers)
#include "tst_e2e_dimmers.moc"
