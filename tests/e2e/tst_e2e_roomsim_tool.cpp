// The main window in-process, with the real pacer and the program's own link,
// against the virtual room on each kind of line (Telnet gateway, pty behind
// ser2net, pty): what the scan finds, what the read of one key shows, what a
// key send and a key press do to the boards.
#include "recordingerrorreporter.h"

#include "e2eroom.h"

#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "link/tcptransport.h"
#include "panels/lightboard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using e2e::Room;
using e2e::ToolWindow;

} // namespace

class TestE2eRoomSimTool : public QObject
{
    Q_OBJECT
private slots:
    void scanThenReadOfOneKey_data();
    void scanThenReadOfOneKey();
    void sendKeyThenKeyPress();
};

namespace {

// A room state whose key 3 ("浴室", key index 2) is set on boards 01, F1 and F3.
QByteArray RoomState()
{
    auto board = [](const QString &kind, const QString &key3) {
        QJsonArray keys;
        for (int k = 0; k < 62; ++k)
            keys.append(k == 2 ? key3 : QStringLiteral("0000000000000000"));
        return QJsonObject {{"kind", kind}, {"keys", keys}, {"outputs", 0}};
    };
    const QJsonObject boards {{"01", board("light", "0F330F550F770F00")},
                              {"F1", board("light", "81018100818081FF")},
                              // Both groups on; levels (1,2) (2,3) (3,0) (0,1) by column.
                              {"F3", board("maindimmer", "0509050E05030504")}};
    return QJsonDocument(QJsonObject {{"version", 1}, {"boards", boards}}).toJson();
}

} // namespace

void TestE2eRoomSimTool::scanThenReadOfOneKey_data()
{
    QTest::addColumn<QString>("line");
    QTest::addRow("room as the Telnet gateway") << "telnet";
    QTest::addRow("room on a pty behind ser2net") << "ser2net";
    QTest::addRow("room on a pty, tool on its other end") << "pty";
}

void TestE2eRoomSimTool::scanThenReadOfOneKey()
{
    QFETCH(QString, line);
    QTemporaryDir roomFolder;
    const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
    QFile state(statePath);
    QVERIFY(state.open(QIODevice::WriteOnly));
    state.write(RoomState());
    state.close();
    std::unique_ptr<e2e::PtyPair> pty;
    std::unique_ptr<e2e::Ser2Net> gateway;
    std::unique_ptr<Room> room;
    std::unique_ptr<ToolWindow> window;
    if (line == QLatin1String("telnet")) {
        room = std::make_unique<Room>(QStringList {"--listen", "127.0.0.1:0", "--state", statePath});
        const quint16 port = room->waitPort();
        QVERIFY(port != 0);
        window = std::make_unique<ToolWindow>(port);
    } else {
        pty = std::make_unique<e2e::PtyPair>(roomFolder.path());
        QVERIFY2(pty->waitReady(), "socat did not make the pty pair");
        room = std::make_unique<Room>(QStringList {"--serial", pty->deviceA(), "--state", statePath});
        QVERIFY(room->waitServing());
        if (line == QLatin1String("ser2net")) {
            gateway = std::make_unique<e2e::Ser2Net>(roomFolder.path(), pty->deviceB());
            QVERIFY2(gateway->waitReady(), gateway->output().constData());
            window = std::make_unique<ToolWindow>(gateway->port());
        } else {
            window = std::make_unique<ToolWindow>(pty->deviceB(), 0);
        }
    }
    ToolWindow &tool = *window;
    TForm1 &form = *tool.form;
    RecordingErrorReporter &errors = tool.errors;
    form.miScanClick();
    QTest::qWait(1000); // the last answers

    // Demo room: light boards 01 02 03 F1 (slots 1 2 3 7), six-key boards
    // 11 12 (slots 9 10), main dimmer F3, six-circuit dimmer at 5.
    for (int slot = 1; slot <= 18; ++slot) {
        auto *panel = form.findChild<QWidget *>(QStringLiteral("fmLightBoard%1").arg(slot));
        QVERIFY(panel);
        auto *present = panel->findChild<QCheckBox *>(QStringLiteral("CheckBox1"));
        QVERIFY(present);
        const bool expected = QList<int> {1, 2, 3, 7, 9, 10}.contains(slot);
        QVERIFY2(present->isChecked() == expected, qPrintable(QStringLiteral("slot %1").arg(slot)));
    }
    QVERIFY(form.findChild<QCheckBox *>(QStringLiteral("cbMainBoard3"))->isChecked());
    QCOMPARE(form.findChild<QSpinBox *>(QStringLiteral("se6LightsMno"))->value(), 5);
    QVERIFY(form.findChild<QCheckBox *>(QStringLiteral("cb6LightsEnabled"))->isChecked());
    QVERIFY2(errors.errors().isEmpty(), qPrintable(errors.errors().join('\n')));

    // Reading "浴室" fills the panels with the room's data for it.
    tool.selectKey(2);
    form.btnReadClick();
    QTest::qWait(500);
    QCOMPARE(tool.lightBoard(1)->EncodeBoardData().toHex().toUpper(),
             QByteArray("0F330F550F770F00"));
    QCOMPARE(tool.lightBoard(7)->EncodeBoardData().toHex().toUpper(),
             QByteArray("81018100818081FF"));
    QCOMPARE(tool.lightBoard(2)->EncodeBoardData().toHex().toUpper(),
             QByteArray("0000000000000000"));
    auto *panel9 = form.findChild<QWidget *>(QStringLiteral("Panel9"));
    QVERIFY(panel9);
    QList<int> levels;
    for (int bar = 1; bar <= 8; ++bar)
        levels.append(panel9->findChild<QSlider *>(QStringLiteral("TrackBar%1").arg(bar))->value());
    QCOMPARE(levels, (QList<int> {1, 2, 3, 0, 2, 3, 0, 1}));
    QVERIFY(panel9->findChild<QCheckBox *>(QStringLiteral("JvCheckBox49"))->isChecked());
    QVERIFY(panel9->findChild<QCheckBox *>(QStringLiteral("JvCheckBox50"))->isChecked());
    QVERIFY2(errors.errors().isEmpty(), qPrintable(errors.errors().join('\n')));
}

void TestE2eRoomSimTool::sendKeyThenKeyPress()
{
    QTemporaryDir roomFolder;
    const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
    QJsonObject boards;
    {
        Room room({"--listen", "127.0.0.1:0", "--state", statePath});
        const quint16 port = room.waitPort();
        QVERIFY(port != 0);
        ToolWindow tool(port);
        // Boards 01 and 02 marked present by hand; "晴空" shown.
        for (int slot : {1, 2})
            tool.lightBoard(slot)->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
        tool.selectKey(0);
        tool.lightBoard(1)->DecodeBoardData(QByteArray::fromHex("FF0FFFF0FF3CFFC3"));
        tool.lightBoard(2)->DecodeBoardData(QByteArray::fromHex("0301030203000303"));
        tool.form->miSendKeyClick();
        // The key press of "晴空" at step 0: column 1 on every board.
        tool.form->N6Click();
        QTest::qWait(500);
        QVERIFY2(tool.errors.errors().isEmpty(), qPrintable(tool.errors.errors().join('\n')));
        room.stop(); // the room saves its outputs on the way out
        QFile file(statePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        boards = QJsonDocument::fromJson(file.readAll()).object().value("boards").toObject();
    }
    QCOMPARE(boards.value("01").toObject().value("keys").toArray().at(0).toString(), "FF0FFFF0FF3CFFC3");
    QCOMPARE(boards.value("02").toObject().value("keys").toArray().at(0).toString(), "0301030203000303");
    QCOMPARE(boards.value("03").toObject().value("keys").toArray().at(0).toString(), "0000000000000000");
    QCOMPARE(boards.value("01").toObject().value("outputs").toInt(), 0x0F);
    QCOMPARE(boards.value("02").toObject().value("outputs").toInt(), 0x01);
}

QTEST_MAIN(TestE2eRoomSimTool)
#include "tst_e2e_roomsim_tool.moc"
