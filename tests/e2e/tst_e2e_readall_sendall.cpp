// Every key of a room through the whole tool and back: read-all followed by
// "存檔" writes a scene file that equals the boards' memory, and send-all
// followed by a dump of the room's state shows the store on the boards. The
// main window runs in-process with the real pacer and its TCP/Telnet link to
// ser2net, which serves a pty whose other end is kvt-roomsim.
#include "e2eroom.h"
#include "scenefiletext.h"

#include "protocol/boardtable.h"
#include "scenes/busstate.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenestore.h"

#include <QHash>
#include <QtTest>

namespace {

using e2e::kRoomKeys;
using e2e::RoomMemoryKey;

constexpr int kLightSlot = 1; // bus id 01; the main dimmer F3 is kMainDimmerSlot
constexpr int kSentKeys = 30;

// Main dimmer data in the form its controls show unchanged: per column the
// group mask (none, group 1, group 2, both) and two levels 0..3.
QString DimmerKeyData(int keyIndex, int variant = 0)
{
    static constexpr char kMasks[] = {0x00, 0x01, 0x04, 0x05};
    QByteArray bytes;
    const char mask = kMasks[(keyIndex + variant) % 4];
    for (int column = 1; column <= 4; ++column) {
        bytes.append(mask);
        bytes.append(char((keyIndex * 7 + column * 3 + variant * 5) & 0x0F));
    }
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// What the store keeps of main dimmer data: per group the enable flag
// (Time0) and the levels of the four columns (Time1..Time4).
DimmerGroupLevels DimmerGroup(const QString &hex, int group)
{
    const QByteArray data = QByteArray::fromHex(hex.toLatin1());
    const int shift = 2 * (group - 1);
    DimmerGroupLevels levels;
    levels.enabled = (quint8(data.at(0)) >> shift) & 0x03 ? 1 : 0;
    for (int column = 1; column <= 4; ++column)
        levels.levels[size_t(column - 1)] = (quint8(data.at(2 * column - 1)) >> shift) & 0x03;
    return levels;
}

bool SameLevels(const DimmerGroupLevels &a, const DimmerGroupLevels &b)
{
    return a.enabled == b.enabled && a.levels == b.levels;
}

QString LightKeyData(int keyIndex, int variant = 0)
{
    return e2e::LightKeyData(0x01, keyIndex, variant);
}

QString StoredHex(TForm1 &form, int keyNumber, int slot)
{
    return QString::fromLatin1(form.sceneStore().key(keyNumber).board(slot).toHex().toUpper());
}

} // namespace

class TestE2eReadAllSendAll : public QObject
{
    Q_OBJECT
private slots:
    void readAllSaveThenSendAll();
};

void TestE2eReadAllSendAll::readAllSaveThenSendAll()
{
    QTemporaryDir roomFolder;
    const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
    QVERIFY(e2e::WriteRoomState(
        statePath, QJsonObject {{"01", e2e::BoardState("light", [](int k) { return LightKeyData(k); })},
                                {"F3", e2e::BoardState("maindimmer", [](int k) { return DimmerKeyData(k); })}}));
    e2e::PtyPair pty(roomFolder.path());
    QVERIFY2(pty.waitReady(), "socat did not make the pty pair");
    e2e::Room room({"--serial", pty.deviceA(), "--boards", "01,F3", "--dimmer6", "none", "--media", "none",
                    "--state", statePath});
    QVERIFY(room.waitServing());
    e2e::Ser2Net gateway(roomFolder.path(), pty.deviceB());
    QVERIFY2(gateway.waitReady(), gateway.output().constData());
    e2e::ToolWindow tool(gateway.port());
    TForm1 &form = *tool.form;
    const auto errorText = [&tool] {
        return tool.errors.errors().isEmpty() ? QByteArray() : tool.errors.errors().join('\n').toUtf8();
    };

    // The two boards marked present and a scan taken as recent: read-all
    // spends its time on the keys.
    tool.present(kLightSlot)->setChecked(true);
    form.panels().BoardCheckBoxes.at(kMainDimmerSlot)->setChecked(true);
    form.busState().scanned = true;
    form.busState().lastScanTime = tool.pacer.now();

    // Read-all, then save: the file holds the boards' memory for all 62 keys
    // (the last one from the panels, which the save stores first) and no
    // data for the absent boards.
    tool.run(&TForm1::miReadAllClick);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    const QString scenePath = tool.folder.filePath(QStringLiteral("room.kvt"));
    SaveAs saveAs(scenePath);
    form.sceneFile().setFileDialogs(saveAs);
    tool.run(&TForm1::N3Click);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    const SceneFileEntries saved = ReadSceneFileText(scenePath);
    QStringList wrong;
    // Expected entries by section: the light board's data as Board1, the
    // main dimmer's as the Time entries of Dimmer1 and Dimmer2.
    for (int k = 0; k < kRoomKeys; ++k) {
        const QString key = QStringLiteral("RawData\\Key%1").arg(k + 1);
        const int cell = RoomMemoryKey(k);
        QList<std::tuple<QString, QString, QString>> expected {
            {key, "Board1", LightKeyData(cell)}, {key, "Board2", QString()}, {key, "Board18", QString()}};
        for (int g = 1; g <= 2; ++g) {
            const DimmerGroupLevels levels = DimmerGroup(DimmerKeyData(cell), g);
            const QString dimmer = key + QStringLiteral("\\Dimmer%1").arg(g);
            expected.append({dimmer, "Time0", QString::number(levels.enabled)});
            for (int column = 1; column <= 4; ++column)
                expected.append({dimmer, QStringLiteral("Time%1").arg(column),
                                 QString::number(levels.levels[size_t(column - 1)])});
        }
        for (const auto &[section, entry, value] : expected) {
            const QString inFile = saved.value(section).value(entry, QStringLiteral("(missing)"));
            if (inFile != value)
                wrong.append(QStringLiteral("[%1] %2: file %3, room %4").arg(section, entry, inFile, value));
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 12).join('\n')));

    // Send-all of a second set of data: keys 1..30 land on the boards, keys
    // 31..62 keep what the room had.
    for (int k = 0; k < kSentKeys; ++k) {
        KeyScene &scene = form.sceneStore().key(k + 1);
        scene.board(kLightSlot) = QByteArray::fromHex(LightKeyData(k, 0x5A).toLatin1());
        for (int g = 1; g <= 2; ++g)
            scene.group(g) = DimmerGroup(DimmerKeyData(k, 1), g);
    }
    tool.run(&TForm1::miSendAllClick);
    QVERIFY2(errorText().isEmpty(), errorText().constData());
    room.stop(); // the room saves its memory on the way out
    const QJsonObject boards = e2e::ReadRoomBoards(statePath);
    const QJsonArray light = boards.value("01").toObject().value("keys").toArray();
    const QJsonArray dimmer = boards.value("F3").toObject().value("keys").toArray();
    QCOMPARE(light.size(), kRoomKeys);
    QCOMPARE(dimmer.size(), kRoomKeys);
    for (int k = 0; k < kRoomKeys; ++k) {
        if (k == 17)
            continue; // the cell of keys 17 and 18 is judged under key 17
        // Send-all goes in memory-slot order: of keys 17 and 18, which share
        // a cell, key 18 is written last.
        const int sent = k == 16 ? 17 : k;
        const QString expectedLight = k < kSentKeys ? LightKeyData(sent, 0x5A) : LightKeyData(k);
        const QString expectedDimmer = k < kSentKeys ? DimmerKeyData(sent, 1) : DimmerKeyData(k);
        if (light.at(k).toString() != expectedLight)
            wrong.append(QStringLiteral("board 01 key %1: room %2, expected %3").arg(k + 1).arg(light.at(k).toString(), expectedLight));
        if (dimmer.at(k).toString() != expectedDimmer)
            wrong.append(QStringLiteral("board F3 key %1: room %2, expected %3").arg(k + 1).arg(dimmer.at(k).toString(), expectedDimmer));
    }
    // The send left the store as it was.
    for (int k = 0; k < kSentKeys; ++k) {
        const KeyScene &scene = form.sceneStore().key(k + 1);
        if (StoredHex(form, k + 1, kLightSlot) != LightKeyData(k, 0x5A)
            || !SameLevels(scene.group(1), DimmerGroup(DimmerKeyData(k, 1), 1))
            || !SameLevels(scene.group(2), DimmerGroup(DimmerKeyData(k, 1), 2)))
            wrong.append(QStringLiteral("store key %1 changed by the send").arg(k + 1));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 12).join('\n')));
}

QTEST_MAIN(TestE2eReadAllSendAll)
#include "tst_e2e_readall_sendall.moc"
