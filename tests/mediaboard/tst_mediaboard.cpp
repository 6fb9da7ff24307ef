#include "mainwindowfixture.h"

#include "link/trafficlog.h"
#include "mediaboard/devicepages.h"
#include "mediaboard/hexfields.h"
#include "mediaboard/mediaboard.h"
#include "mediaboard/modbusregisterpage.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace {

QByteArray Bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// The payload of a written Modbus ASCII frame (':' hex LRC CR LF), without
// its LRC; empty when the frame is not well formed or its LRC is wrong.
QByteArray Payload(const QByteArray &frame)
{
    if (!frame.startsWith(':') || !frame.endsWith("\r\n"))
        return {};
    const QByteArray bytes = QByteArray::fromHex(frame.mid(1, frame.size() - 3));
    quint8 sum = 0;
    for (char b : bytes)
        sum = quint8(sum + quint8(b));
    return sum == 0 ? bytes.left(bytes.size() - 1) : QByteArray();
}

QString Spaced(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QStringList SpacedPayloads(const QList<QByteArray> &writes)
{
    QStringList out;
    for (const QByteArray &w : writes)
        out.append(Spaced(Payload(w)));
    return out;
}

// A reply as a board sends it: ':' hex of the bytes and their LRC, CR LF.
QByteArray Reply(const char *hexWithoutLrc)
{
    const QByteArray bytes = QByteArray::fromHex(hexWithoutLrc);
    quint8 sum = 0;
    for (char b : bytes)
        sum = quint8(sum + quint8(b));
    return ":" + (bytes + char(quint8(-sum))).toHex().toUpper() + "\r\n";
}

} // namespace

class TestMediaBoard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> fx;
    // Virtual time of each write, in order.
    QList<qint64> writeTimes;

    ModbusRegisterPage &registers() { return fx->form().mediaBoard().registers(); }
    DevicePages &devices() { return fx->form().mediaBoard().devices(); }
    QTabWidget *pgModbus() const { return fx->find<QTabWidget>(QStringLiteral("pgModbus")); }
    QString statusText() const { return fx->form().statusBar()->currentMessage(); }
    template <typename T>
    T *named(const QString &name) const
    {
        T *widget = fx->find<T>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    HexEdit *edit(const QString &name) const { return named<HexEdit>(name); }
    // Clicks a button the way a user does, on its page made visible first.
    void click(QPushButton *button)
    {
        for (QWidget *w = button; w; w = w->parentWidget())
            if (auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr))
                if (tabs->indexOf(w) >= 0)
                    tabs->setCurrentWidget(w);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void click(const QString &name) { click(named<QPushButton>(name)); }
    void pick(const QString &field, const QString &itemText)
    {
        auto *list = named<QComboBox>(field);
        const int index = list->findText(itemText, Qt::MatchExactly);
        QVERIFY2(index >= 0, qPrintable(field + QStringLiteral(": no item \"") + itemText + QLatin1Char('"')));
        list->setCurrentIndex(index);
    }
    void spin(const QString &field, int value) { named<HexSpinBox>(field)->setValue(value); }
    // Types into a field that has the keyboard focus, as a user does.
    void typeInto(QLineEdit *field, const QString &keys)
    {
        field->setFocus();
        QTest::keyClicks(field, keys);
    }

private slots:
    void init()
    {
        fx = std::make_unique<MainWindowFixture>();
        fx->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&fx->form()));
        fx->clearTraffic();
        writeTimes.clear();
        fx->transport->onWrite = [this](const QByteArray &) { writeTimes.append(fx->pacer.elapsedMs()); };
        fx->pacer.clearSteps();
    }
    void cleanup()
    {
        fx->transport->onWrite = nullptr;
        fx->pacer.onProcessEvents = nullptr;
        fx.reset();
    }

    void sendWritesTheRow_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("field"); // a field to change first (empty: none)
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("payload");
        QTest::addRow("row 0 first as it starts") << "btnSendModbus00" << "" << "" << "F8 10 20 00 00 02 04 00 01 01 FF";
        QTest::addRow("row 0 second as it starts") << "btnSendModbus01" << "" << "" << "F8 10 20 04 00 02 04 FF FF FF FF";
        QTest::addRow("row 5 first as it starts") << "btnSendModbus50" << "" << "" << "F8 10 20 60 00 02 04 00 05 34 FF";
        QTest::addRow("row 3 second at 2034") << "btnSendModbus31" << "" << "" << "F8 10 20 34 00 02 04 FF FF FF FF";
        QTest::addRow("FFFC + 4 wraps to 0000") << "btnSendModbus01" << "edModbusAddress0" << "FFFC" << "F8 10 00 00 00 02 04 FF FF FF FF";
        QTest::addRow("FFFC first stays FFFC") << "btnSendModbus00" << "edModbusAddress0" << "FFFC" << "F8 10 FF FC 00 02 04 00 01 01 FF";
        QTest::addRow("ID 1F8 addresses F8") << "btnSendModbus20" << "edModbusId2" << "1F8" << "F8 10 20 20 00 02 04 00 05 81 FF";
        QTest::addRow("empty ID addresses 00") << "btnSendModbus20" << "edModbusId2" << "" << "00 10 20 20 00 02 04 00 05 81 FF";
        QTest::addRow("lower-case ID 0a") << "btnSendModbus10" << "edModbusId1" << "0a" << "0A 10 20 10 00 02 04 01 00 87 FF";
        QTest::addRow("empty Data sends zeros") << "btnSendModbus40" << "edModbusData40" << "" << "F8 10 20 40 00 02 04 00 00 00 00";
        QTest::addRow("Data of 10 digits keeps its low 32 bits") << "btnSendModbus41" << "edModbusData41" << "AB12345678" << "F8 10 20 44 00 02 04 12 34 56 78";
        QTest::addRow("short Data is a small number") << "btnSendModbus40" << "edModbusData40" << "5" << "F8 10 20 40 00 02 04 00 00 00 05";
        QTest::addRow("empty Address writes at 0000") << "btnSendModbus00" << "edModbusAddress0" << "" << "F8 10 00 00 00 02 04 00 01 01 FF";
    }

    void sendWritesTheRow()
    {
        QFETCH(QString, button);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, payload);
        if (!field.isEmpty())
            edit(field)->setText(text);
        click(button);
        QCOMPARE(fx->errors.errors(), QStringList());
        QCOMPARE(SpacedPayloads(fx->writes()), QStringList({payload}));
    }

    void sendIsOneModbusFrameWithItsPause()
    {
        click(QStringLiteral("btnSendModbus00"));
        // The frame as it goes on the wire, LRC D1 worked out by hand.
        QCOMPARE(fx->writes(), QList<QByteArray>({":F8102000000204000101FFD1\r\n"}));
        QCOMPARE(fx->pacer.totalPauseMs(), 200);
        QVERIFY(fx->form().trafficLog().lines().join('\n').contains(QStringLiteral(":F8 10 20 00 00 02 04 00 01 01 FF D1")));
    }

    void typedAndPastedText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed"); // keys typed at the end of the text
        QTest::addColumn<QString>("pasted"); // then pasted over the whole text (empty: nothing)
        QTest::addColumn<QString>("shown");
        QTest::addRow("letters appear in upper case") << "edModbusData00" << "" << "abcdef" << "" << "ABCDEF";
        QTest::addRow("non-hex keys are refused") << "edModbusData00" << "" << "1g2 z-3" << "" << "123";
        QTest::addRow("address stops at 4 digits") << "edModbusAddress1" << "" << "123456" << "" << "1234";
        QTest::addRow("ID takes any length") << "edModbusId0" << "" << "1234f8" << "" << "1234F8";
        QTest::addRow("data takes more than 8 digits") << "edModbusData51" << "" << "123456789A" << "" << "123456789A";
        QTest::addRow("paste with a non-hex character is refused whole") << "edModbusData10" << "010087FF" << "" << "12 34" << "010087FF";
        QTest::addRow("paste of 0x prefix is refused whole") << "edModbusId3" << "f8" << "" << "0x10" << "f8";
        QTest::addRow("paste of lower-case hex appears upper") << "edModbusData20" << "000581FF" << "" << "deadbeef" << "DEADBEEF";
        QTest::addRow("paste of 5 digits into an address is refused") << "edModbusAddress2" << "2020" << "" << "12345" << "2020";
    }

    void typedAndPastedText()
    {
        QFETCH(QString, field);
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        HexEdit *e = edit(field);
        e->setText(start);
        typeInto(e, typed);
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            e->selectAll();
            e->paste();
        }
        QCOMPARE(e->text(), shown);
    }

    void addressOfZeroShowsEmpty_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addRow("0000 shows empty") << "0000" << "";
        QTest::addRow("0 shows empty") << "0" << "";
        QTest::addRow("0010 stays") << "0010" << "0010";
    }

    void addressOfZeroShowsEmpty()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        HexEdit *e = edit(QStringLiteral("edModbusAddress4"));
        e->clear();
        typeInto(e, typed);
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(e->text(), shown);
    }

    void dataSetByProgram_data()
    {
        QTest::addColumn<uint>("value");
        QTest::addColumn<QString>("shown");
        QTest::addRow("zero shows 0") << 0u << "0";
        QTest::addRow("000581FF without leading zeros") << 0x000581FFu << "581FF";
        QTest::addRow("FFFFFFFF") << 0xFFFFFFFFu << "FFFFFFFF";
        QTest::addRow("00ABCDEF upper case") << 0x00ABCDEFu << "ABCDEF";
    }

    void dataSetByProgram()
    {
        QFETCH(uint, value);
        QFETCH(QString, shown);
        registers().setData(3, 1, value);
        QCOMPARE(edit(QStringLiteral("edModbusData31"))->text(), shown);
    }

    void spinFieldsTakeHex_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::addRow("74") << "74" << 0x74 << "74";
        QTest::addRow("lower-case fe") << "fe" << 0xFE << "FE";
        QTest::addRow("a third digit is refused") << "123" << 0x12 << "12";
        QTest::addRow("non-hex keys are refused") << "g4x2" << 0x42 << "42";
        QTest::addRow("one digit") << "7" << 0x07 << "7";
    }

    void spinFieldsTakeHex()
    {
        QFETCH(QString, typed);
        QFETCH(int, value);
        QFETCH(QString, shown);
        auto *s = named<HexSpinBox>(QStringLiteral("edModbusTV4"));
        pgModbus()->setCurrentWidget(named<QWidget>(QStringLiteral("tsModbusTV")));
        s->setFocus();
        s->selectAll();
        QTest::keyClick(s, Qt::Key_Delete);
        QTest::keyClicks(s, typed);
        QTest::keyClick(s, Qt::Key_Return);
        QCOMPARE(s->value(), value);
        QCOMPARE(s->text(), shown);
    }

    void confirmSendsTheWorkedExamples_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("picks"); // field=item text, or field=hex value for spin fields
        QTest::addColumn<QString>("shown0");
        QTest::addColumn<QString>("shown1");
        QTest::addColumn<QStringList>("payloads");
        QTest::addRow("remote page 000101FF 42FF00FF")
            << "Remote"
            << QStringList{"cbModbusRemote0=VOD2(大陸第二隻) = 00", "cbModbusRemote1=VOD = 01",
                           "cbModbusRemote2=TV  =    01", "cbModbusRemote3=0xFF = 預設 F8", "edModbusRemote4=42",
                           "cbModbusRemote5=0xFF = 預設 vod", "edModbusRemote6=00"}
            << "101FF" << "42FF00FF"
            << QStringList{"F8 10 20 00 00 02 04 00 01 01 FF", "F8 10 20 04 00 02 04 42 FF 00 FF"};
        QTest::addRow("VOD page 000581FF 7464FFFF")
            << "VOD"
            << QStringList{"cbModbusVOD0=大陸機上盒 = 00", "cbModbusVOD1=IR2   = 05 Enable  開 Bit2 = 1",
                           "cbModbusVOD2=HDMI=    81", "edModbusVOD3=FF", "edModbusVOD4=74", "edModbusVOD5=64"}
            << "581FF" << "7464FFFF"
            << QStringList{"F8 10 20 20 00 02 04 00 05 81 FF", "F8 10 20 24 00 02 04 74 64 FF FF"};
        QTest::addRow("AMP page's own delay field is byte 0")
            << "AMP" << QStringList{"edModbusAMP3=3C", "edModbusVOD3=11", "edModbusKTV3=22"} << "FFFFFF3C"
            << "FFFFFFFF"
            << QStringList{"F8 10 20 30 00 02 04 FF FF FF 3C", "F8 10 20 34 00 02 04 FF FF FF FF"};
        QTest::addRow("KTV page DVI2 gives 91")
            << "KTV" << QStringList{"cbModbusKTV2=DVI2 =     91", "cbModbusKTV1="} << "FF0891FF" << "FFFFFFFF"
            << QStringList{"F8 10 20 40 00 02 04 FF 08 91 FF", "F8 10 20 44 00 02 04 FF FF FF FF"};
        QTest::addRow("TV page DVI2 gives 91")
            << "TV" << QStringList{"cbModbusTV2=DVI2 =    91", "cbModbusTV0=Sharp = 09"} << "9FF91FF" << "FFFFFFFF"
            << QStringList{"F8 10 20 10 00 02 04 09 FF 91 FF", "F8 10 20 14 00 02 04 FF FF FF FF"};
        QTest::addRow("DVD page on row 5")
            << "DVD" << QStringList{"cbModbusDVD1=IR3   = 06 Enable  開 Bit2 = 1", "edModbusDVD5=0A"} << "FF06FFFF"
            << "FF0AFFFF"
            << QStringList{"F8 10 20 60 00 02 04 FF 06 FF FF", "F8 10 20 64 00 02 04 FF 0A FF FF"};
        QTest::addRow("set-top box on row 5 too")
            << "STB" << QStringList{"cbModbusSTB0=PINE64 ?= 01", "edModbusSTB3=00", "edModbusSTB4=00"} << "1FFFF00"
            << "FFFFFF"
            << QStringList{"F8 10 20 60 00 02 04 01 FF FF 00", "F8 10 20 64 00 02 04 00 FF FF FF"};
        QTest::addRow("nothing picked counts as FF")
            << "Remote" << QStringList{} << "FFFFFFFF" << "FFFFFFFF"
            << QStringList{"F8 10 20 00 00 02 04 FF FF FF FF", "F8 10 20 04 00 02 04 FF FF FF FF"};
        QTest::addRow("leading zero bytes are not shown")
            << "TV"
            << QStringList{"cbModbusTV0=ZefraXYTV = 00", "cbModbusTV1=IR1   =00 Enable  關 Bit2 = 0",
                           "cbModbusTV2=0xFF = 預設  ATV", "edModbusTV3=00"}
            << "FF00" << "FFFFFFFF"
            << QStringList{"F8 10 20 10 00 02 04 00 00 FF 00", "F8 10 20 14 00 02 04 FF FF FF FF"};
    }

    void confirmSendsTheWorkedExamples()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, picks);
        QFETCH(QString, shown0);
        QFETCH(QString, shown1);
        QFETCH(QStringList, payloads);
        for (const QString &p : picks) {
            const QString field = p.section(QLatin1Char('='), 0, 0);
            const QString value = p.section(QLatin1Char('='), 1);
            if (field.startsWith(QLatin1String("cb")))
                pick(field, value);
            else
                spin(field, value.toInt(nullptr, 16));
        }
        click(QStringLiteral("btnModbus%1OK").arg(word));
        QCOMPARE(fx->errors.errors(), QStringList());
        QCOMPARE(SpacedPayloads(fx->writes()), payloads);
        const int row = devices().layout(named<QPushButton>(QStringLiteral("btnModbus%1OK").arg(word))->property("tag").toInt()).row;
        QCOMPARE(registers().dataField(row, 0)->text(), shown0);
        QCOMPARE(registers().dataField(row, 1)->text(), shown1);
        QCOMPARE(pgModbus()->currentWidget(), registers().sheet());
    }

    void tvPageAfterDefaultsSendsFFTwiceApart()
    {
        pick(QStringLiteral("cbModbusTV0"), QStringLiteral("LG = 04"));
        spin(QStringLiteral("edModbusTV4"), 0x12);
        click(QStringLiteral("btnModbusTVReset"));
        QVERIFY(fx->writes().isEmpty());
        for (int k = 0; k < 3; ++k)
            QCOMPARE(named<QComboBox>(QStringLiteral("cbModbusTV%1").arg(k))->currentIndex(), 0);
        for (int k = 3; k < 6; ++k)
            QCOMPARE(named<HexSpinBox>(QStringLiteral("edModbusTV%1").arg(k))->value(), 0xFF);

        click(QStringLiteral("btnModbusTVOK"));
        QCOMPARE(SpacedPayloads(fx->writes()),
                 QStringList({"F8 10 20 10 00 02 04 FF FF FF FF", "F8 10 20 14 00 02 04 FF FF FF FF"}));
        QCOMPARE(writeTimes.size(), 2);
        QVERIFY2(writeTimes[1] - writeTimes[0] >= 700, qPrintable(QString::number(writeTimes[1] - writeTimes[0])));
        // Both writes' own 200 ms, and 500 ms between them in steps that let events run.
        qint64 between = 0;
        int eventPoints = 0;
        for (const auto &step : fx->pacer.steps()) {
            if (step.atMs < writeTimes[0] + 200 || step.atMs >= writeTimes[1])
                continue;
            if (step.kind == VirtualPacer::StepKind::Pause)
                between += step.ms;
            else
                ++eventPoints;
        }
        QCOMPARE(between, 500);
        QVERIFY(eventPoints >= 5);
        QCOMPARE(fx->pacer.totalPauseMs(), 900);
    }

    void confirmUsesTheRowAsItStands()
    {
        edit(QStringLiteral("edModbusId5"))->setText(QStringLiteral("F9"));
        edit(QStringLiteral("edModbusAddress5"))->setText(QStringLiteral("2070"));
        click(QStringLiteral("btnModbusSTBOK"));
        QCOMPARE(SpacedPayloads(fx->writes()),
                 QStringList({"F9 10 20 70 00 02 04 FF FF FF FF", "F9 10 20 74 00 02 04 FF FF FF FF"}));
    }

    void readSendsNothingAndChangesNothing()
    {
        pick(QStringLiteral("cbModbusAMP0"), QStringLiteral("大陸機上盒 = 00"));
        spin(QStringLiteral("edModbusAMP4"), 0x33);
        pgModbus()->setCurrentWidget(named<QWidget>(QStringLiteral("tsModbusAMP")));
        const int page = pgModbus()->currentIndex();
        click(QStringLiteral("btnModbusAMPRead"));
        QVERIFY(fx->writes().isEmpty());
        QCOMPARE(fx->errors.errors(), QStringList());
        QCOMPARE(named<QComboBox>(QStringLiteral("cbModbusAMP0"))->currentIndex(), 1);
        QCOMPARE(named<HexSpinBox>(QStringLiteral("edModbusAMP4"))->value(), 0x33);
        QCOMPARE(registers().dataField(3, 0)->text(), QStringLiteral("0001FFFF"));
        QCOMPARE(pgModbus()->currentIndex(), page);
    }

    void pageKeepsItsFieldsAcrossTabs()
    {
        pick(QStringLiteral("cbModbusKTV0"), QStringLiteral("PINE64 ?= 01"));
        pgModbus()->setCurrentIndex(0);
        pgModbus()->setCurrentWidget(named<QWidget>(QStringLiteral("tsModbusKTV")));
        QCOMPARE(named<QComboBox>(QStringLiteral("cbModbusKTV0"))->currentText(), QStringLiteral("PINE64 ?= 01"));
    }

    void linkLostBetweenTheTwoWrites()
    {
        // The gateway goes away while "確認" waits between its writes.
        fx->pacer.onPause = [this](int index) {
            if (index == 1)
                fx->transport->dropConnection();
        };
        click(QStringLiteral("btnModbusDVDOK"));
        fx->pacer.onPause = nullptr;
        QCOMPARE(SpacedPayloads(fx->writes()), QStringList({"F8 10 20 60 00 02 04 FF FF FF FF"}));
        QCOMPARE(fx->errors.errors().size(), 1);
        QVERIFY2(fx->errors.errors().first().startsWith(QStringLiteral("\"DVD 確認\" stopped: the connection to the bus was lost")),
                 qPrintable(fx->errors.errors().first()));
        // The next command connects again.
        fx->errors.clear();
        click(QStringLiteral("btnSendModbus51"));
        QCOMPARE(fx->errors.errors(), QStringList());
        QCOMPARE(fx->writes().size(), 2);
    }

    void failedFirstWriteEndsConfirm()
    {
        fx->transport->failWriteWith = QStringLiteral("write refused");
        click(QStringLiteral("btnModbusRemoteOK"));
        QCOMPARE(fx->errors.errors(), QStringList({"write refused"}));
        QVERIFY(fx->writes().isEmpty());
        QCOMPARE(fx->pacer.totalPauseMs(), 0);
    }

    void readBack_data()
    {
        QTest::addColumn<QByteArrayList>("replies"); // delivered while the read-back waits
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("status");
        QTest::addRow("answer shown in the field")
            << QByteArrayList{Reply("F80304000101FF")} << "101FF" << "讀取 ID F8 位址 2004：000101FF";
        QTest::addRow("zero answer shows 0")
            << QByteArrayList{Reply("F80304" "00000000")} << "0" << "讀取 ID F8 位址 2004：00000000";
        QTest::addRow("no answer keeps the text")
            << QByteArrayList{} << "FFFFFFFF" << "讀取 ID F8 位址 2004：沒有回應";
        QTest::addRow("exception names its code")
            << QByteArrayList{Reply("F88302")} << "FFFFFFFF" << "讀取 ID F8 位址 2004：例外碼 02";
        QTest::addRow("another board's answer is not taken")
            << QByteArrayList{Reply("F90304" "12345678")} << "FFFFFFFF" << "讀取 ID F8 位址 2004：沒有回應";
        QTest::addRow("a write's echo is not taken, the read after it is")
            << QByteArrayList{Reply("F81020040002"), Reply("F80304" "CAFE0001")} << "CAFE0001"
            << "讀取 ID F8 位址 2004：CAFE0001";
        QTest::addRow("first function-3 answer counts")
            << QByteArrayList{Reply("F80304" "00000011"), Reply("F80304" "00000022")} << "11"
            << "讀取 ID F8 位址 2004：00000011";
        QTest::addRow("wrong byte count is named")
            << QByteArrayList{Reply("F80302" "0011")} << "FFFFFFFF" << "讀取 ID F8 位址 2004：回應有 2 個資料位元組，不是 4 個";
        QTest::addRow("damaged LRC is named")
            << QByteArrayList{":F80304000101FF01\r\n"} << "FFFFFFFF" << "讀取 ID F8 位址 2004：回應已損壞（LRC 或長度不符）";
        QTest::addRow("a reply cut short is named")
            << QByteArrayList{Reply("F803040001")} << "FFFFFFFF" << "讀取 ID F8 位址 2004：回應已損壞（LRC 或長度不符）";
    }

    void readBack()
    {
        QFETCH(QByteArrayList, replies);
        QFETCH(QString, shown);
        QFETCH(QString, status);
        // The board answers after the request went out, at the next events.
        bool written = false;
        fx->transport->onWrite = [&written](const QByteArray &) { written = true; };
        fx->pacer.onProcessEvents = [this, &written, &replies](int) {
            if (written && !replies.isEmpty())
                fx->transport->inject(replies.takeFirst());
        };
        click(QStringLiteral("btnReadModbus01"));
        fx->pacer.onProcessEvents = nullptr;
        QCOMPARE(fx->errors.errors(), QStringList());
        QCOMPARE(SpacedPayloads(fx->writes()), QStringList({"F8 03 20 04 00 02"}));
        QCOMPARE(registers().dataField(0, 1)->text(), shown);
        QCOMPARE(statusText(), status);
        // Bounded: the frame's 200 ms and at most the wait.
        QVERIFY(fx->pacer.totalPauseMs() <= 200 + kReadBackWaitMs);
    }

    void readBackLeavesTheDispatcherAsItIs()
    {
        fx->pacer.onProcessEvents = [this](int index) {
            if (index == 1)
                fx->transport->inject(Reply("F80304000101FF"));
        };
        click(QStringLiteral("btnReadModbus00"));
        fx->pacer.onProcessEvents = nullptr;
        // The dispatcher logs the reply as from id 0, as it does every F8 reply.
        const QString log = fx->form().trafficLog().lines().join('\n');
        QVERIFY2(log.contains(QStringLiteral("-> ") + QString::fromLatin1(Reply("F80304000101FF"))
                              + QStringLiteral(", id = 0, func = 3, len = 4, 00 01 01 FF")),
                 qPrintable(log));
        QCOMPARE(registers().dataField(0, 0)->text(), QStringLiteral("101FF"));
    }

    void readBackAfterTheLinkWasLost()
    {
        fx->pacer.onPause = [this](int index) {
            if (index == 0)
                fx->transport->dropConnection();
        };
        click(QStringLiteral("btnReadModbus30"));
        fx->pacer.onPause = nullptr;
        QCOMPARE(fx->errors.errors().size(), 1);
        QVERIFY2(fx->errors.errors().first().startsWith(QStringLiteral("\"讀取\" stopped")),
                 qPrintable(fx->errors.errors().first()));
        QCOMPARE(registers().dataField(3, 0)->text(), QStringLiteral("0001FFFF"));
    }

    void unansweredReadBackKeepsTheWindowWorking()
    {
        // A send pressed while the read-back waits goes out; a second read does not.
        bool pressed = false;
        fx->pacer.onProcessEvents = [this, &pressed](int index) {
            if (index == 4 && !pressed) {
                pressed = true;
                registers().pressSend(2, 0);
                named<QPushButton>(QStringLiteral("btnReadModbus20"))->click();
            }
        };
        click(QStringLiteral("btnReadModbus21"));
        fx->pacer.onProcessEvents = nullptr;
        QCOMPARE(fx->errors.errors(), QStringList());
        QCOMPARE(SpacedPayloads(fx->writes()),
                 QStringList({"F8 03 20 24 00 02", "F8 10 20 20 00 02 04 00 05 81 FF"}));
    }
};

QTEST_MAIN(TestMediaBoard)
#include "tst_mediaboard.moc"
