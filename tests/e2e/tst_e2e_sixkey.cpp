// A six-key wall panel of the virtual room through the whole main window on
// the real clock and its Telnet link: the key settings written with "儲6Key"
// are on the board (the room's saved state says so) and come back with
// "讀6Key" after the panel was changed; the sensitivities written with
// "設靈敏度" come back with "讀靈敏度".
#include "e2eroom.h"

#include "app/statusprogress.h"
#include "panels/sixkey.h"
#include "protocol/boardtable.h"
#include "scenes/keytables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

namespace {

constexpr int kReplySettleMs = 400;
constexpr int kPanel = 1; // slot 9, bus id 11

struct KeySetting
{
    int keyIndex;
    bool loop;
    bool stop;
    bool minutes;
    int timeValue;
};

// Buttons 1..6: keys whose codes are distinct and cover the table's rows.
const KeySetting kSettings[kSixKeyButtonCount] = {
    {0, true, false, false, 5}, // 晴空, code 01, flags C5
    {16, false, true, true, 31}, // code 1F, flags 3F
    {27, true, true, false, 0}, // code 00, flags 80
    {18, false, false, true, 12}, // code 1E, flags 6C
    {28, true, false, true, 1}, // code 14, flags E1
    {9, false, true, false, 7}, // code 0A, flags 07
};

// The key code and flags byte each button's setting is on the board as.
const quint16 kRegisters[kSixKeyButtonCount] = {0x01C5, 0x1F3F, 0x0080, 0x1E6C, 0x14E1, 0x0A07};

QString Shown(Tfm6Key *panel, int b)
{
    return QStringLiteral("key=%1 caption=%2 loop=%3 stop=%4 min=%5 sec=%6 t=%7")
        .arg(panel->grid()->hint(b), panel->grid()->button(b)->text())
        .arg(panel->loopBox(b)->isChecked())
        .arg(panel->stopBox(b)->isChecked())
        .arg(panel->minutesButton(b)->isChecked())
        .arg(panel->secondsButton(b)->isChecked())
        .arg(panel->timeValueBox(b)->value());
}

QString Expected(const KeySetting &s)
{
    return QStringLiteral("key=%1 caption=%2 loop=%3 stop=%4 min=%5 sec=%6 t=%7")
        .arg(QString::number(s.keyIndex), KeyName(s.keyIndex))
        .arg(s.loop)
        .arg(s.stop)
        .arg(s.minutes)
        .arg(!s.minutes)
        .arg(s.timeValue);
}

} // namespace

class TestE2eSixKey : public QObject
{
    Q_OBJECT
private slots:
    void keySettingsAndSensitivityRoundTrip();
};

void TestE2eSixKey::keySettingsAndSensitivityRoundTrip()
{
    QTemporaryDir roomFolder;
    const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
    e2e::Room room({"--listen", "127.0.0.1:0", "--fast", "--quiet", "--boards", "11,12", "--dimmer6", "none",
                    "--media", "none", "--state", statePath});
    const quint16 port = room.waitPort();
    QVERIFY2(port != 0, room.output().constData());
    e2e::ToolWindow tool(port);
    TForm1 &form = *tool.form;
    const auto errorText = [&tool] {
        return tool.errors.errors().isEmpty() ? QByteArray() : tool.errors.errors().join('\n').toUtf8();
    };
    auto *panel = form.findChild<Tfm6Key *>(QStringLiteral("fm6Key%1").arg(kPanel));
    QVERIFY(panel);
    tool.present(SixKeyPanelSlot(kPanel))->setChecked(true);

    // Button 1 assigned the way a technician does it: the key chosen in the
    // key list, then the grid button clicked (which sends it at once).
    form.findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setCurrentIndex(kSettings[0].keyIndex);
    QTest::mouseClick(panel->grid()->button(1), Qt::LeftButton);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    QCOMPARE(panel->grid()->hint(1), QStringLiteral("0"));
    for (int b = 1; b <= kSixKeyButtonCount; ++b) {
        const KeySetting &s = kSettings[b - 1];
        panel->grid()->setHint(b, QString::number(s.keyIndex));
        panel->loopBox(b)->setChecked(s.loop);
        panel->stopBox(b)->setChecked(s.stop);
        (s.minutes ? panel->minutesButton(b) : panel->secondsButton(b))->setChecked(true);
        panel->timeValueBox(b)->setValue(s.timeValue);
    }
    tool.run(&TForm1::miSend6KeyClick);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    QCOMPARE(form.progress().summaryText(), QStringLiteral("儲6Key：6/6 已回覆"));

    // The panel changed, then read back from the board.
    for (int b = 1; b <= kSixKeyButtonCount; ++b) {
        panel->grid()->setHint(b, QStringLiteral("-1"));
        panel->grid()->setCaption(b, QString::number(b));
        panel->loopBox(b)->setChecked(!kSettings[b - 1].loop);
        panel->stopBox(b)->setChecked(!kSettings[b - 1].stop);
        (kSettings[b - 1].minutes ? panel->secondsButton(b) : panel->minutesButton(b))->setChecked(true);
        panel->timeValueBox(b)->setValue(20);
    }
    tool.run(&TForm1::miRead6KeyClick);
    QTest::qWait(kReplySettleMs);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    QVERIFY(tool.menuEnabled("miRead6Key"));
    QCOMPARE(form.progress().summaryText(), QStringLiteral("讀6Key：6/6 已回覆"));
    for (int b = 1; b <= kSixKeyButtonCount; ++b)
        QCOMPARE(Shown(panel, b), Expected(kSettings[b - 1]));

    // Sensitivity: written, the fields changed, read back.
    const int written[kSixKeyButtonCount] = {1, 10, 63, 0, 33, 2};
    for (int b = 1; b <= kSixKeyButtonCount; ++b)
        panel->sensitivityBox(b)->setValue(written[b - 1]);
    QTest::mouseClick(panel->qtButton(), Qt::LeftButton);
    QTest::qWait(kReplySettleMs);
    for (int b = 1; b <= kSixKeyButtonCount; ++b)
        panel->sensitivityBox(b)->setValue(50);
    QTest::mouseClick(panel->readQtButton(), Qt::LeftButton);
    QCOMPARE(form.progress().summaryText(), QStringLiteral("讀靈敏度：1/1 已回覆"));
    QTest::qWait(kReplySettleMs);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    for (int b = 1; b <= kSixKeyButtonCount; ++b)
        QCOMPARE(panel->sensitivityBox(b)->value(), written[b - 1]);

    // What the board holds, as the room saves it on its way out: position p
    // (register 0080h + p) carries the setting of button KeyButtonOrder(p),
    // and the sensitivity bytes value * 4 + 2 in board order.
    form.close();
    room.stop();
    QVERIFY(!room.running());
    const QJsonObject board = e2e::ReadRoomBoards(statePath).value(QStringLiteral("11")).toObject();
    const QJsonArray settings = board.value(QStringLiteral("keySettings")).toArray();
    QVERIFY2(settings.size() >= kSixKeyButtonCount, qPrintable(QJsonDocument(board).toJson()));
    for (int p = 1; p <= kSixKeyButtonCount; ++p)
        QCOMPARE(QString::number(settings.at(p - 1).toInt(), 16),
                 QString::number(kRegisters[KeyButtonOrder(p) - 1], 16));
    const QJsonArray sensitivity = board.value(QStringLiteral("sensitivity")).toArray();
    QCOMPARE(sensitivity.size(), 3);
    QByteArray bytes;
    for (const QJsonValue &v : sensitivity)
        bytes.append(char(v.toInt() >> 8)).append(char(v.toInt() & 0xFF));
    // Buttons 4, 1, 5, 2, 6, 3: 0, 1, 33, 10, 2, 63.
    QCOMPARE(bytes.toHex(' '), QByteArray("02 06 86 2a 0a fe"));
}

QTEST_MAIN(TestE2eSixKey)
#include "tst_e2e_sixkey.moc"
