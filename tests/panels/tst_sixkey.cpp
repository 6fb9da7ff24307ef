// The six-key panels fm6Key1..fm6Key10 in a whole main window: their frames
// on the in-memory transport, the board's replies through the real reply
// dispatcher, "讀6Key", "儲6Key", read-only and the scene file.
#include "mainwindowfixture.h"
#include "scenefiletext.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/statusprogress.h"
#include "link/trafficlog.h"
#include "panels/lightboard.h"
#include "panels/sixkey.h"
#include "protocol/kvterror.h"
#include "scenes/keytables.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenefilestorage.h"
#include "scenes/scenestore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray Bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// The payload of a Modbus frame as written: ':' hex CR LF, the last byte the
// LRC (checked here: all bytes with it sum to 0 modulo 256).
QByteArray Payload(const QByteArray &frame)
{
    if (!frame.startsWith(':') || !frame.endsWith("\r\n"))
        return "not a Modbus frame: " + frame;
    const QByteArray bytes = QByteArray::fromHex(frame.mid(1, frame.size() - 3));
    quint8 sum = 0;
    for (char b : bytes)
        sum = quint8(sum + quint8(b));
    if (sum != 0)
        return "bad LRC: " + frame;
    return bytes.left(bytes.size() - 1);
}

QList<QByteArray> Payloads(const QList<QByteArray> &frames)
{
    QList<QByteArray> payloads;
    for (const QByteArray &frame : frames)
        payloads.append(Payload(frame));
    return payloads;
}

// A reply as a board sends it: ':' + hex of the bytes and their LRC + CR LF.
QByteArray Reply(const QByteArray &bytes)
{
    quint8 sum = 0;
    for (char b : bytes)
        sum = quint8(sum + quint8(b));
    return ':' + (bytes + char(quint8(-sum))).toHex().toUpper() + "\r\n";
}

QList<int> Pauses(const VirtualPacer &pacer)
{
    QList<int> pauses;
    for (const auto &step : pacer.steps())
        if (step.kind == VirtualPacer::StepKind::Pause)
            pauses.append(step.ms);
    return pauses;
}

struct ButtonState
{
    bool loop;
    bool stop;
    bool minutes;
    int timeValue;
    int sensitivity;
    QString caption;
    QString hint;
};

ButtonState StateOf(const Tfm6Key *panel, int b)
{
    return {panel->loopBox(b)->isChecked(),
            panel->stopBox(b)->isChecked(),
            panel->minutesButton(b)->isChecked(),
            panel->timeValueBox(b)->value(),
            panel->sensitivityBox(b)->value(),
            panel->grid()->button(b)->text(),
            panel->grid()->hint(b)};
}

QString Describe(const ButtonState &s)
{
    return QStringLiteral("loop=%1 stop=%2 min=%3 t=%4 qt=%5 caption=%6 hint=%7")
        .arg(s.loop)
        .arg(s.stop)
        .arg(s.minutes)
        .arg(s.timeValue)
        .arg(s.sensitivity)
        .arg(s.caption, s.hint);
}

// The settings of every button of every panel, one line per button.
QStringList AllButtons(const MainWindowFixture &f)
{
    QStringList lines;
    for (int n = 1; n <= 10; ++n) {
        const auto *panel = f.find<Tfm6Key>(QStringLiteral("fm6Key%1").arg(n));
        for (int b = 1; b <= 6; ++b)
            lines.append(QStringLiteral("%1/%2 ").arg(n).arg(b) + Describe(StateOf(panel, b)));
    }
    return lines;
}

} // namespace

class TestSixKey : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> fx;

    Tfm6Key *panel(int n) const { return fx->find<Tfm6Key>(QStringLiteral("fm6Key%1").arg(n)); }
    // A user's click on grid button b (1..6).
    void click(Tfm6Key *p, int b) { QTest::mouseClick(p->grid()->button(b), Qt::LeftButton); }
    void inject(const char *hex) { fx->transport->inject(Reply(Bytes(hex))); }
    QStringList panelLogLines() const
    {
        QStringList lines;
        for (const QString &line : fx->form().trafficLog().lines())
            if (line.startsWith(QLatin1String("i:")))
                lines.append(line);
        return lines;
    }

private slots:
    void init()
    {
        fx = std::make_unique<MainWindowFixture>();
        fx->form().show();
        fx->clearTraffic();
        fx->form().trafficLog().clear();
    }
    void cleanup() { fx.reset(); }

    void panelsSitOnTheirPagesWithTheirControls()
    {
        MainPages &pages = fx->form().pages();
        for (int n = 1; n <= 10; ++n) {
            Tfm6Key *p = panel(n);
            QVERIFY2(p, qPrintable(QString::number(n)));
            QCOMPARE(p->panelNumber(), n);
            QCOMPARE(fx->form().panels().SixKeyPanels.at(n), static_cast<SixKeyPanelView *>(p));
            QVERIFY(pages.ts6Key[size_t(n)]->isAncestorOf(p));
            TfmLightBoard *outputs = fx->lightBoard(n + 8);
            QVERIFY(pages.ts6Key[size_t(n)]->isAncestorOf(outputs));
            pages.PageControl1->setCurrentWidget(pages.ts6Key[size_t(n)]);
            QVERIFY(p->mapTo(&fx->form(), QPoint(p->width(), 0)).x() <= outputs->mapTo(&fx->form(), QPoint()).x());
            for (int b = 1; b <= 6; ++b) {
                for (const QString &name : {QStringLiteral("cbLoop%1"), QStringLiteral("cbStop%1"),
                                            QStringLiteral("rbSec%1"), QStringLiteral("rbMin%1"),
                                            QStringLiteral("se%1"), QStringLiteral("seqt%1")})
                    QVERIFY2(p->findChild<QWidget *>(name.arg(b)), qPrintable(name.arg(b)));
            }
            QCOMPARE(p->findChild<QPushButton *>(QStringLiteral("btnQT"))->text(), QStringLiteral("設靈敏度"));
            QCOMPARE(p->findChild<QPushButton *>(QStringLiteral("btnReadQT"))->text(), QStringLiteral("讀靈敏度"));
            QCOMPARE(p->findChild<QToolButton *>(QStringLiteral("btnSendKey"))->text(), QStringLiteral("_"));
            QVERIFY(!p->sendKeyButton()->icon().isNull());
            QWidget *grid = p->findChild<QWidget *>(QStringLiteral("btns6Key"));
            QVERIFY(grid);
            QCOMPARE(grid->findChildren<QPushButton *>(QRegularExpression(QStringLiteral("^btns6Key\\d$"))).size(), 6);
        }
        Tfm6Key *p = panel(3);
        QCOMPARE(p->loopBox(2)->text(), QStringLiteral("Loop"));
        QCOMPARE(p->stopBox(2)->text(), QStringLiteral("送停"));
        QCOMPARE(p->secondsButton(2)->text(), QStringLiteral("秒"));
        QCOMPARE(p->minutesButton(2)->text(), QStringLiteral("分"));
        QCOMPARE(p->timeValueBox(2)->maximum(), 31);
        QCOMPARE(p->sensitivityBox(2)->maximum(), 63);
        QCOMPARE(p->sensitivityBox(2)->toolTip(), QStringLiteral("預設值10, 0 關, 越大越不靈敏"));
        QCOMPARE(p->findChild<QLabel *>(QStringLiteral("lbQT2"))->text(), QStringLiteral("靈敏度"));
        // Groups 1-3 above the grid, 4-6 below it; buttons 1-3 on the top row.
        QVERIFY(p->loopBox(3)->mapTo(p, QPoint()).y() < p->grid()->y());
        QVERIFY(p->loopBox(4)->mapTo(p, QPoint()).y() > p->grid()->y() + p->grid()->height() - 1);
        QVERIFY(p->grid()->button(1)->y() < p->grid()->button(4)->y());
        QVERIFY(p->grid()->button(1)->x() < p->grid()->button(2)->x());
        // The command buttons straddle the border of the rows.
        const int border = p->grid()->button(4)->y();
        QVERIFY(p->qtButton()->y() < border && p->qtButton()->geometry().bottom() > border);
    }

    void startUpRestoresTheDefaultsOfMissingEntries()
    {
        // No kvt.ini: every entry is missing.
        for (int n = 1; n <= 10; ++n)
            for (int b = 1; b <= 6; ++b)
                QCOMPARE(Describe(StateOf(panel(n), b)),
                         QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption= hint="));
        QVERIFY(panel(1)->secondsButton(1)->isChecked());
        QCOMPARE(panel(1)->grid()->property("captions").toStringList(), QStringList(6, QString()));
    }

    void startUpRestoresKvtIniAndClosingSavesOnlyIntoTheImage()
    {
        const QByteArray ini = "[6key2\\key3]\r\nLoop=FALSE\r\nStop=TRUE\r\nSecond=FALSE\r\nMinute=TRUE\r\n"
                               "Value=17\r\nQTValue=40\r\nCaption=abc\r\nHint=4\r\n\r\n";
        MainWindowFixture started(ini);
        auto *p = started.find<Tfm6Key>(QStringLiteral("fm6Key2"));
        QCOMPARE(Describe(StateOf(p, 3)), QStringLiteral("loop=0 stop=1 min=1 t=17 qt=40 caption=abc hint=4"));
        QCOMPARE(Describe(StateOf(p, 2)), QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption= hint="));

        p->grid()->setHint(3, QStringLiteral("7"));
        p->sensitivityBox(6)->setValue(3);
        started.form().close();
        const SceneFileStorage &storage = started.form().storage();
        QCOMPARE(storage.readText(QStringLiteral("\\6key2\\key3\\Hint"), QString()), QStringLiteral("7"));
        QCOMPARE(storage.readInteger(QStringLiteral("\\6key2\\key6\\QTValue"), -1), 3);
        QCOMPARE(storage.readBool(QStringLiteral("\\6key10\\key1\\Second"), false), true);
        QFile file(started.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), ini);
    }

    void aNewPanelHoldsItsOwnValues()
    {
        const SixKeyContext context{fx->form().panelContext(), fx->form().storage(), fx->form().busState().replies,
                                    [](const QString &) {}};
        Tfm6Key fresh(context);
        for (int b = 1; b <= 6; ++b)
            QCOMPARE(Describe(StateOf(&fresh, b)),
                     QStringLiteral("loop=1 stop=0 min=0 t=5 qt=2 caption=%1 hint=-1").arg(b));
        QCOMPARE(fresh.grid()->property("captions").toStringList(),
                 QStringList({"1", "2", "3", "4", "5", "6"}));
        QCOMPARE(fresh.grid()->property("hints").toStringList(), QStringList(6, QStringLiteral("-1")));
        QVERIFY(!fresh.isReadOnly());
        QCOMPARE(fresh.lastRequestedPosition(), 0);
    }

    void gridClickAssignsAndSends_data()
    {
        QTest::addColumn<int>("panelNumber");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("keyIndex");
        QTest::addColumn<QByteArray>("payload");
        // Flags loop on, send stop off, seconds, time value 5 = C5.
        QTest::addRow("button 1 top-left is position 2") << 1 << 1 << 0 << Bytes("11100082000102" "01C5");
        QTest::addRow("button 2 top-middle is position 4") << 1 << 2 << 1 << Bytes("11100084000102" "02C5");
        QTest::addRow("button 3 top-right is position 6") << 1 << 3 << 16 << Bytes("11100086000102" "1FC5");
        QTest::addRow("button 4 bottom-left is position 1") << 1 << 4 << 18 << Bytes("11100081000102" "1EC5");
        QTest::addRow("button 5 bottom-middle is position 3") << 1 << 5 << 26 << Bytes("11100083000102" "16C5");
        QTest::addRow("button 6 bottom-right is position 5") << 1 << 6 << 29 << Bytes("11100085000102" "15C5");
        QTest::addRow("key 27 is code 00") << 1 << 1 << 27 << Bytes("11100082000102" "00C5");
        QTest::addRow("key 61 is code 00") << 1 << 1 << 61 << Bytes("11100082000102" "00C5");
        QTest::addRow("key 28 is code 14") << 1 << 1 << 28 << Bytes("11100082000102" "14C5");
        QTest::addRow("panel 9 on id 19") << 9 << 1 << 2 << Bytes("19100082000102" "03C5");
        QTest::addRow("panel 10 on id 20") << 10 << 6 << 15 << Bytes("20100085000102" "10C5");
    }

    void gridClickAssignsAndSends()
    {
        QFETCH(int, panelNumber);
        QFETCH(int, button);
        QFETCH(int, keyIndex);
        QFETCH(QByteArray, payload);
        Tfm6Key *p = panel(panelNumber);
        p->timeValueBox(button)->setValue(5);
        fx->keyList()->setCurrentIndex(keyIndex);
        const int shown = fx->form().sceneStore().shownKeyIndex();

        click(p, button);
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        QCOMPARE(Payloads(fx->writes()), QList<QByteArray>{payload});
        QCOMPARE(p->grid()->hint(button), QString::number(keyIndex));
        QCOMPARE(p->grid()->button(button)->text(), KeyName(keyIndex));
        // The selection is cleared without a key switch.
        QCOMPARE(fx->keyList()->currentIndex(), -1);
        QCOMPARE(fx->form().sceneStore().shownKeyIndex(), shown);
        QCOMPARE(Pauses(fx->pacer), QList<int>{200});

        // Again without a selection: the same setting, nothing reassigned.
        fx->clearTraffic();
        click(p, button);
        QCOMPARE(Payloads(fx->writes()), QList<QByteArray>{payload});
        QCOMPARE(p->grid()->hint(button), QString::number(keyIndex));
    }

    void aButtonWithoutKeySendsNothing_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addRow("new panel -1") << QStringLiteral("-1");
        QTest::addRow("empty from the file") << QString();
        QTest::addRow("not a number") << QStringLiteral("x3");
        QTest::addRow("62 from an unknown code") << QStringLiteral("62");
    }

    void aButtonWithoutKeySendsNothing()
    {
        QFETCH(QString, hint);
        Tfm6Key *p = panel(2);
        p->grid()->setHint(5, hint);
        click(p, 5);
        QVERIFY(fx->writes().isEmpty());
        QCOMPARE(fx->form().statusBar()->currentMessage(), QStringLiteral("6Key-2 按鍵5 未指定場景，未送出"));
        QVERIFY(fx->errors.errors().isEmpty());
    }

    void sendAllKeysSendsSixFramesAndSkipsButtonsWithoutKey()
    {
        Tfm6Key *p = panel(1);
        const QList<int> keys = {0, -1, 2, 3, -1, 5};
        for (int b = 1; b <= 6; ++b)
            p->grid()->setHint(b, QString::number(keys[b - 1]));
        p->timeValueBox(3)->setValue(31);
        p->minutesButton(3)->setChecked(true);
        p->stopBox(4)->setChecked(true);
        p->loopBox(6)->setChecked(false);
        // A selection does not reassign any button.
        fx->keyList()->setCurrentIndex(40);

        QTest::mouseClick(p->sendKeyButton(), Qt::LeftButton);
        QCOMPARE(Payloads(fx->writes()), QList<QByteArray>({Bytes("11100082000102" "01C0"), Bytes("11100086000102" "03FF"),
                                                            Bytes("11100081000102" "0480"), Bytes("11100085000102" "0640")}));
        QCOMPARE(p->grid()->property("hints").toStringList(), QStringList({"0", "-1", "2", "3", "-1", "5"}));
        QCOMPARE(fx->keyList()->currentIndex(), -1);
        QCOMPARE(fx->form().statusBar()->currentMessage(), QStringLiteral("6Key-1 按鍵2、5 未指定場景，未送出"));
        // 200 ms per frame, 100 ms after each button.
        QCOMPARE(Pauses(fx->pacer), QList<int>({200, 100, 100, 200, 100, 200, 100, 100, 200, 100}));
    }

    void keyReplyShowsTheKeyAndLogs_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("log");
        QTest::addRow("code 01 on position 2 is key 0 on button 1")
            << 2 << Bytes("01C50000") << 1 << QStringLiteral("loop=1 stop=0 min=0 t=5 qt=8 caption=晴空 hint=0")
            << QStringLiteral("i:1, j:1, Value:1, name:晴空");
        QTest::addRow("code 1F is key 16, never 17")
            << 1 << Bytes("1F250000") << 4 << QStringLiteral("loop=0 stop=1 min=1 t=5 qt=8 caption=%1 hint=16").arg(KeyName(16))
            << QStringLiteral("i:4, j:17, Value:1F, name:%1").arg(KeyName(16));
        QTest::addRow("code 00 is key 27")
            << 6 << Bytes("00C51234") << 3 << QStringLiteral("loop=1 stop=0 min=0 t=5 qt=8 caption=%1 hint=27").arg(KeyName(27))
            << QStringLiteral("i:3, j:28, Value:0, name:%1").arg(KeyName(27));
        QTest::addRow("unknown code 30 leaves no key")
            << 5 << Bytes("309F0000") << 6 << QStringLiteral("loop=1 stop=1 min=0 t=31 qt=8 caption= hint=62")
            << QStringLiteral("i:6, j:63, Value:30, name:");
        QTest::addRow("code 1E is key 18") << 3 << Bytes("1E000000") << 5
            << QStringLiteral("loop=0 stop=1 min=0 t=0 qt=8 caption=%1 hint=18").arg(KeyName(18))
            << QStringLiteral("i:5, j:19, Value:1E, name:%1").arg(KeyName(18));
    }

    void keyReplyShowsTheKeyAndLogs()
    {
        QFETCH(int, position);
        QFETCH(QByteArray, data);
        QFETCH(int, button);
        QFETCH(QString, state);
        QFETCH(QString, log);
        Tfm6Key *p = panel(1);
        p->RequestKeySetting(position);
        QCOMPARE(Payloads(fx->writes()),
                 QList<QByteArray>{QByteArray("\x11\x03\x00", 3) + char(0x80 + position) + QByteArray("\x00\x02", 2)});
        fx->transport->inject(Reply(Bytes("110304") + data));
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        QCOMPARE(Describe(StateOf(p, button)), state);
        QCOMPARE(panelLogLines(), QStringList{log});
        for (int b = 1; b <= 6; ++b)
            if (b != button)
                QCOMPARE(Describe(StateOf(p, b)), QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption= hint="));
    }

    void everyFlagsByteComesBackAsSent()
    {
        // Reply, then a click that sends the button as shown: the flags byte
        // round-trips for all 256 values.
        Tfm6Key *p = panel(4);
        QList<int> wrong;
        for (int f = 0; f < 256; ++f) {
            p->RequestKeySetting(4); // button 2
            fx->transport->inject(Reply(Bytes("1403040A") + char(f) + Bytes("0000")));
            fx->clearTraffic();
            click(p, 2);
            const QByteArray sent = Payload(fx->writes().value(0));
            if (sent != Bytes("141000840001020A") + char(f))
                wrong.append(f);
        }
        QCOMPARE(wrong, QList<int>());
    }

    void replyBeforeTheFirstRequestChangesNothing()
    {
        inject("11030401C50000");
        QVERIFY(fx->errors.errors().isEmpty());
        for (int b = 1; b <= 6; ++b)
            QCOMPARE(Describe(StateOf(panel(1), b)), QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption= hint="));
        QVERIFY(panelLogLines().isEmpty());
        // The dispatcher's own line still shows it.
        QVERIFY(fx->form().trafficLog().lines().join('\n').contains(QStringLiteral("id = 11, func = 3, len = 4")));
    }

    void shortRepliesUseWhatThereIs()
    {
        Tfm6Key *p = panel(1);
        p->RequestKeySetting(2);
        p->ApplyKeyReply(QByteArray());
        QCOMPARE(Describe(StateOf(p, 1)), QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption= hint="));
        p->ApplyKeyReply(Bytes("02"));
        QCOMPARE(Describe(StateOf(p, 1)),
                 QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption=%1 hint=1").arg(KeyName(1)));
        p->ApplySensitivityReply(Bytes("FF0B03"));
        // Positions 1, 2, 3 are buttons 4, 1, 5.
        QCOMPARE(StateOf(p, 4).sensitivity, 63);
        QCOMPARE(StateOf(p, 1).sensitivity, 2);
        QCOMPARE(StateOf(p, 5).sensitivity, 0);
        QCOMPARE(StateOf(p, 2).sensitivity, 8);
        QCOMPARE(StateOf(p, 6).sensitivity, 8);
    }

    void sensitivityGoesOutInBoardOrder_data()
    {
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QByteArray>("payload");
        QTest::addRow("1..6") << QList<int>{1, 2, 3, 4, 5, 6} << Bytes("11100089000306" "1206160A1A0E");
        QTest::addRow("all 2") << QList<int>{2, 2, 2, 2, 2, 2} << Bytes("11100089000306" "0A0A0A0A0A0A");
        QTest::addRow("0 and 63") << QList<int>{0, 63, 10, 0, 63, 10} << Bytes("11100089000306" "0202FEFE2A2A");
    }

    void sensitivityGoesOutInBoardOrder()
    {
        QFETCH(QList<int>, values);
        QFETCH(QByteArray, payload);
        Tfm6Key *p = panel(1);
        for (int b = 1; b <= 6; ++b)
            p->sensitivityBox(b)->setValue(values[b - 1]);
        QTest::mouseClick(p->qtButton(), Qt::LeftButton);
        QCOMPARE(Payloads(fx->writes()), QList<QByteArray>{payload});
    }

    void sensitivityReadAndReply_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<int>>("byButton");
        QTest::addRow("12 06 16 0A 1A 0E is 1..6") << Bytes("1206160A1A0E") << QList<int>{1, 2, 3, 4, 5, 6};
        QTest::addRow("low bits ignored") << Bytes("0BFF00030000") << QList<int>{63, 0, 0, 2, 0, 0};
    }

    void sensitivityReadAndReply()
    {
        QFETCH(QByteArray, data);
        QFETCH(QList<int>, byButton);
        Tfm6Key *p = panel(1);
        QTest::mouseClick(p->readQtButton(), Qt::LeftButton);
        QCOMPARE(Payloads(fx->writes()), QList<QByteArray>{Bytes("110300890003")});
        fx->transport->inject(Reply(Bytes("110306") + data));
        QList<int> shown;
        for (int b = 1; b <= 6; ++b)
            shown.append(p->sensitivityBox(b)->value());
        QCOMPARE(shown, byButton);
        QVERIFY(panelLogLines().isEmpty());
    }

    void panelTenUsesIdTwentyAndTheWindowsHandlers()
    {
        Tfm6Key *p = panel(10);
        for (int b = 1; b <= 6; ++b)
            p->sensitivityBox(b)->setValue(b);
        QTest::mouseClick(p->qtButton(), Qt::LeftButton);
        QTest::mouseClick(p->readQtButton(), Qt::LeftButton);
        fx->form().fm6Key10btnReadQTClick();
        fx->form().fm6Key10btnQTClick();
        QCOMPARE(Payloads(fx->writes()),
                 QList<QByteArray>({Bytes("20100089000306" "1206160A1A0E"), Bytes("200300890003"),
                                    Bytes("200300890003"), Bytes("20100089000306" "1206160A1A0E")}));
        // Replies from id 20 reach panel 10 only.
        inject("2003060A0A0A0A0A0A");
        QCOMPARE(p->sensitivityBox(1)->value(), 2);
        QCOMPARE(panel(9)->sensitivityBox(1)->value(), 8);
        p->RequestKeySetting(1);
        inject("20030403C50000");
        QCOMPARE(p->grid()->hint(4), QStringLiteral("2"));
        QCOMPARE(panel(9)->grid()->hint(4), QString());
    }

    void readOnlyLocksThePanelsAndIgnoresReplies()
    {
        Tfm6Key *p = panel(1);
        p->grid()->setHint(1, QStringLiteral("3"));
        fx->form().menu().miReadOnly->trigger();
        for (int n = 1; n <= 10; ++n) {
            Tfm6Key *each = panel(n);
            QVERIFY(each->isReadOnly());
            for (int b = 1; b <= 6; ++b) {
                for (QWidget *w : std::initializer_list<QWidget *>{each->loopBox(b), each->stopBox(b), each->secondsButton(b),
                                                                   each->minutesButton(b), each->timeValueBox(b),
                                                                   each->sensitivityBox(b), each->grid()->button(b)})
                    QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
            }
            QVERIFY(!each->qtButton()->isEnabled());
            QVERIFY(each->readQtButton()->isEnabled());
            QVERIFY(each->sendKeyButton()->isEnabled());
        }
        // A disabled grid button does not react; "讀靈敏度" still sends.
        fx->keyList()->setCurrentIndex(7);
        click(p, 1);
        QVERIFY(fx->writes().isEmpty());
        QCOMPARE(fx->keyList()->currentIndex(), 7);
        QTest::mouseClick(p->readQtButton(), Qt::LeftButton);
        QCOMPARE(Payloads(fx->writes()), QList<QByteArray>{Bytes("110300890003")});

        p->RequestKeySetting(2);
        inject("11030409C50000");
        inject("1103063F3F3F3F3F3F");
        QCOMPARE(Describe(StateOf(p, 1)), QStringLiteral("loop=1 stop=0 min=0 t=0 qt=8 caption= hint=3"));
        QVERIFY(panelLogLines().isEmpty());

        // Restoring the settings keeps the panel read-only as "唯讀" shows it.
        fx->form().sceneFile().N5Click();
        QVERIFY(fx->form().menu().miReadOnly->isChecked());
        QVERIFY(p->isReadOnly());
        QVERIFY(!p->loopBox(1)->isEnabled());
        inject("11030409C50000");
        QVERIFY(panelLogLines().isEmpty());

        fx->form().menu().miReadOnly->trigger();
        QVERIFY(!p->isReadOnly());
        QVERIFY(p->grid()->button(1)->isEnabled());
        inject("11030409C50000");
        QCOMPARE(p->grid()->hint(1), QStringLiteral("8"));
    }

    void readSixKeys_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<QList<QByteArray>>("payloads");
        QTest::addRow("no board checked sends nothing") << QList<int>{} << QList<QByteArray>{};
        QList<QByteArray> slot9;
        for (int position = 1; position <= 6; ++position)
            slot9.append(QByteArray("\x11\x03\x00", 3) + char(0x80 + position) + QByteArray("\x00\x02", 2));
        QTest::addRow("only slot 9: six reads to 11") << QList<int>{9} << slot9;
        QList<QByteArray> slot18;
        for (int position = 1; position <= 6; ++position)
            slot18.append(QByteArray("\x20\x03\x00", 3) + char(0x80 + position) + QByteArray("\x00\x02", 2));
        QTest::addRow("a light board and slot 18") << QList<int>{3, 18} << slot18;
    }

    void readSixKeys()
    {
        QFETCH(QList<int>, present);
        QFETCH(QList<QByteArray>, payloads);
        for (int slot : present)
            fx->setBoardPresent(slot, true);
        QAction *item = fx->form().menu().miRead6Key;
        QList<bool> enabledDuringPauses;
        fx->pacer.onPause = [&](int) { enabledDuringPauses.append(item->isEnabled()); };
        item->trigger();
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        QCOMPARE(Payloads(fx->writes()), payloads);
        QCOMPARE(Pauses(fx->pacer).size(), payloads.size() * 2);
        QVERIFY(!enabledDuringPauses.contains(true));
        QVERIFY(item->isEnabled());
    }

    void readSixKeysShowsWhatTheBoardsAnswer()
    {
        fx->setBoardPresent(10, true);
        // The board answers each read while the command lets events run.
        const QByteArray codes = Bytes("0102031F001E");
        qsizetype answered = 0;
        fx->pacer.onProcessEvents = [&](int) {
            const QList<QByteArray> sent = fx->writes();
            if (sent.size() == answered)
                return;
            answered = sent.size();
            const QByteArray request = Payload(sent.last());
            const int position = quint8(request.at(3)) - 0x80;
            fx->transport->inject(Reply(Bytes("120304") + codes.mid(position - 1, 1) + char(0x80 | position)
                                        + Bytes("0000")));
        };
        fx->form().menu().miRead6Key->trigger();
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        Tfm6Key *p = panel(2);
        // Position p's reply lands on button KeyButtonOrder(p).
        QCOMPARE(p->grid()->property("hints").toStringList(), QStringList({"1", "16", "18", "0", "2", "27"}));
        QCOMPARE(p->timeValueBox(4)->value(), 1);
        QCOMPARE(p->timeValueBox(3)->value(), 6);
        QCOMPARE(panelLogLines().size(), 6);
    }

    void readSixKeysEndsWhenTheLinkDrops()
    {
        fx->setBoardPresent(9, true);
        fx->setBoardPresent(12, true);
        QAction *item = fx->form().menu().miRead6Key;
        fx->pacer.onPause = [&](int) {
            if (fx->writes().size() == 3)
                fx->transport->dropConnection();
        };
        item->trigger();
        QCOMPARE(fx->errors.errors(),
                 QStringList{QStringLiteral("\"讀6Key\" stopped: the connection to the bus was lost. What it sent "
                                            "just before may not have arrived; the next command connects again.")});
        QCOMPARE(fx->writes().size(), 3);
        QVERIFY(item->isEnabled());
    }

    void sendSixKeysSendsEveryCheckedPanel()
    {
        fx->setBoardPresent(9, true);
        fx->setBoardPresent(18, true);
        for (int b = 1; b <= 6; ++b) {
            panel(1)->grid()->setHint(b, QString::number(b - 1));
            panel(10)->grid()->setHint(b, QString::number(b + 9));
            panel(5)->grid()->setHint(b, QString::number(b));
        }
        QAction *item = fx->form().menu().miSend6Key;
        QList<bool> enabled;
        fx->pacer.onPause = [&](int) { enabled.append(item->isEnabled()); };
        item->trigger();
        const QList<QByteArray> sent = Payloads(fx->writes());
        QCOMPARE(sent.size(), 12);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(quint8(sent[i][0]), quint8(0x11));
            QCOMPARE(quint8(sent[i + 6][0]), quint8(0x20));
        }
        QCOMPARE(sent[0], Bytes("11100082000102" "01C0"));
        QCOMPARE(sent[11], Bytes("20100085000102" "10C0"));
        // Each panel: six buttons at 200 + 100 ms, then 100 ms.
        QCOMPARE(Pauses(fx->pacer).size(), 2 * (12 + 1));
        QVERIFY(!enabled.contains(false));
    }

    void summariesNameTheBoardsThatDidNotAnswer()
    {
        // Boards 11 (slot 9) and 20 (slot 18) present; only 20 answers, each
        // request at the next event processing: a read with its data, a write
        // with its echo.
        fx->setBoardPresent(9, true);
        fx->setBoardPresent(18, true);
        InMemoryTransport *transport = fx->transport;
        transport->onWrite = [transport](const QByteArray &frame) {
            const QByteArray request = Payload(frame);
            if (quint8(request.at(0)) != 0x20)
                return;
            const QByteArray reply = request.at(1) == 0x10
                                         ? request.left(6)
                                         : request.left(2) + char(2 * request.at(5)) + QByteArray(2 * request.at(5), '\x08');
            const QByteArray wire = Reply(reply);
            QMetaObject::invokeMethod(transport, [transport, wire] { transport->inject(wire); }, Qt::QueuedConnection);
        };
        const auto summary = [this] { return fx->form().progress().summaryText(); };

        fx->form().menu().miRead6Key->trigger();
        QCOMPARE(summary(), QStringLiteral("讀6Key：6/12 已回覆，未回覆：板9"));
        for (int b = 1; b <= 6; ++b) {
            panel(1)->grid()->setHint(b, QString::number(b));
            panel(10)->grid()->setHint(b, b == 3 ? QStringLiteral("-1") : QString::number(b));
        }
        // Button 3 of panel 10 has no key: five frames, five echoes.
        fx->form().menu().miSend6Key->trigger();
        QCOMPARE(summary(), QStringLiteral("儲6Key：5/11 已回覆，未回覆：板9"));

        QTest::mouseClick(panel(10)->qtButton(), Qt::LeftButton);
        QCOMPARE(summary(), QStringLiteral("設靈敏度：1/1 已回覆"));
        QTest::mouseClick(panel(1)->readQtButton(), Qt::LeftButton);
        QCOMPARE(summary(), QStringLiteral("讀靈敏度：0/1 已回覆，未回覆：板9"));
        QTest::mouseClick(panel(10)->readQtButton(), Qt::LeftButton);
        QCOMPARE(summary(), QStringLiteral("讀靈敏度：1/1 已回覆"));
        QCOMPARE(panel(10)->sensitivityBox(1)->value(), 2);
        QTest::mouseClick(panel(1)->qtButton(), Qt::LeftButton);
        QCOMPARE(summary(), QStringLiteral("設靈敏度：0/1 已回覆，未回覆：板9"));
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
    }

    void readAllReadsTheSixKeyBoardsFirst()
    {
        fx->setBoardPresent(11, true);
        fx->form().busState().scanned = true;
        fx->form().busState().lastScanTime = fx->pacer.now();
        fx->form().menu().miReadAll->trigger();
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        const QList<QByteArray> sent = Payloads(fx->writes());
        QVERIFY(sent.size() > 6);
        for (int position = 1; position <= 6; ++position)
            QCOMPARE(sent[position - 1], QByteArray("\x13\x03\x00", 3) + char(0x80 + position) + QByteArray("\x00\x02", 2));
        QCOMPARE(sent[6], Bytes("130300010004"));
    }

    void pageChangeSetsCaptionsFromTheKeyIndexes()
    {
        Tfm6Key *p = panel(3);
        p->grid()->setHint(1, QStringLiteral("2"));
        p->grid()->setHint(2, QStringLiteral("-1"));
        p->grid()->setCaption(2, QStringLiteral("old"));
        fx->form().pages().PageControl1->setCurrentWidget(fx->form().pages().ts6Key[3]);
        QCOMPARE(p->grid()->button(1)->text(), QStringLiteral("浴室"));
        QCOMPARE(p->grid()->button(2)->text(), QString());
    }

    void sceneFileRoundTripOfAllTenPanels()
    {
        for (int n = 1; n <= 10; ++n) {
            Tfm6Key *p = panel(n);
            for (int b = 1; b <= 6; ++b) {
                const int v = n * 6 + b;
                p->loopBox(b)->setChecked(v % 2);
                p->stopBox(b)->setChecked(v % 3 == 0);
                (v % 4 == 0 ? p->minutesButton(b) : p->secondsButton(b))->setChecked(true);
                p->timeValueBox(b)->setValue(v % 32);
                p->sensitivityBox(b)->setValue(v % 64);
                p->grid()->setHint(b, QString::number(v % 62));
                p->grid()->setCaption(b, KeyName(v % 62));
            }
        }
        const QStringList before = AllButtons(*fx);
        const QString path = fx->dir.filePath(QStringLiteral("panels.kvt"));
        SaveAs saveAs(path);
        fx->form().sceneFile().setFileDialogs(saveAs);
        fx->form().menu().N3->trigger();
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));

        const SceneFileEntries file = ReadSceneFileText(path);
        const QHash<QString, QString> key = file.value(QStringLiteral("6key10\\key6"));
        QCOMPARE(key.value(QStringLiteral("Loop")), QStringLiteral("FALSE"));
        QCOMPARE(key.value(QStringLiteral("Value")), QString::number(66 % 32));
        QCOMPARE(key.value(QStringLiteral("QTValue")), QString::number(66 % 64));
        QCOMPARE(key.value(QStringLiteral("Hint")), QStringLiteral("4"));
        QCOMPARE(key.value(QStringLiteral("Second")), QStringLiteral("TRUE"));
        QCOMPARE(key.value(QStringLiteral("Minute")), QStringLiteral("FALSE"));

        for (int n = 1; n <= 10; ++n)
            for (int b = 1; b <= 6; ++b) {
                panel(n)->loopBox(b)->setChecked(true);
                panel(n)->timeValueBox(b)->setValue(1);
                panel(n)->grid()->setHint(b, QStringLiteral("-1"));
            }
        fx->form().sceneFile().N5Click();
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        QCOMPARE(AllButtons(*fx), before);
    }

    void badEntriesAreClampedAndTheRestRestored()
    {
        QFile file(fx->dir.filePath(QStringLiteral("bad.kvt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[6key1\\key1]\r\nLoop=maybe\r\nStop=TRUE\r\nValue=abc\r\nQTValue=99\r\nHint=5\r\nCaption=x\r\n\r\n"
                   "[6key1\\key2]\r\nMinute=TRUE\r\nSecond=FALSE\r\nValue=-4\r\nQTValue=12\r\n\r\n"
                   "[6key3\\key6]\r\nValue=40\r\nLoop=0\r\n\r\n");
        file.close();
        fx->form().storage().bind(QStringLiteral("bad.kvt"));
        fx->form().sceneFile().N5Click();
        QVERIFY2(fx->errors.errors().isEmpty(), qPrintable(fx->errors.errors().join('\n')));
        QCOMPARE(Describe(StateOf(panel(1), 1)), QStringLiteral("loop=1 stop=1 min=0 t=0 qt=63 caption=x hint=5"));
        QCOMPARE(Describe(StateOf(panel(1), 2)), QStringLiteral("loop=1 stop=0 min=1 t=0 qt=12 caption= hint="));
        QCOMPARE(Describe(StateOf(panel(3), 6)), QStringLiteral("loop=0 stop=0 min=0 t=31 qt=8 caption= hint="));
    }
};

QTEST_MAIN(TestSixKey)
#include "tst_sixkey.moc"
