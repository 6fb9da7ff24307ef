// Transfers the technician can trust: a slot that gives no answer keeps the
// key's stored data, and in the awaited mode ("等待回覆") each request waits
// for its answer, goes on when it has come and is sent again when it has not.
// Through the main window's menu on the virtual pacer.
#include "mainwindowfixture.h"
#include "scriptedboards.h"

#include "app/mainmenu.h"
#include "app/statusprogress.h"
#include "link/trafficlog.h"
#include "panels/lightboard.h"
#include "protocol/modbus.h"
#include "scenes/busstate.h"
#include "scenes/keyswitch.h"
#include "scenes/scenestore.h"
#include "scenes/transfersummary.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

namespace {

using Missing = QList<QPair<int, int>>; // (slot, key number)

void SetFlag(QAction *item, bool on)
{
    if (item->isChecked() != on)
        item->trigger();
}

// The lasting of each wait in order, e.g. "W30/500 W500/500".
QString Waits(const std::vector<VirtualPacer::Step> &steps)
{
    QStringList out;
    for (const VirtualPacer::Step &s : steps)
        if (s.kind == VirtualPacer::StepKind::Wait)
            out.append(QStringLiteral("W%1/%2").arg(s.ms).arg(s.limitMs));
    return out.join(QLatin1Char(' '));
}

int PauseCount(const std::vector<VirtualPacer::Step> &steps)
{
    int n = 0;
    for (const VirtualPacer::Step &s : steps)
        n += s.kind == VirtualPacer::StepKind::Pause ? 1 : 0;
    return n;
}

// Frames written to the board of this bus id (Modbus text or board frame).
int WritesTo(const QList<QByteArray> &writes, quint8 busId)
{
    const QByteArray modbus = ":" + QByteArray(1, char(busId)).toHex().toUpper();
    int n = 0;
    for (const QByteArray &w : writes)
        if (w.startsWith(modbus) || (w.size() > 2 && w.at(0) == 'H' && quint8(w.at(2)) == busId))
            ++n;
    return n;
}

QByteArray Pattern(char fill)
{
    return QByteArray(8, fill);
}

} // namespace

class TestCheckedTransfers : public QObject
{
    Q_OBJECT

private slots:
    void readAllKeepsStoredDataOfSilentSlots_data();
    void readAllKeepsStoredDataOfSilentSlots();
    void readKeepsWhatTheKeyHeld();
    void awaitedRead_data();
    void awaitedRead();
    void awaitedWriteIsAcknowledged_data();
    void awaitedWriteIsAcknowledged();
    void awaitedScanAsksSilentSlotsAgain_data();
    void awaitedScanAsksSilentSlotsAgain();
    void commandSummaries_data();
    void commandSummaries();
    void summaryText_data();
    void summaryText();
};

void TestCheckedTransfers::readAllKeepsStoredDataOfSilentSlots_data()
{
    QTest::addColumn<bool>("awaited");
    QTest::addRow("designed mode") << false;
    QTest::addRow("awaited mode") << true;
}

void TestCheckedTransfers::readAllKeepsStoredDataOfSilentSlots()
{
    QFETCH(bool, awaited);
    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(1);
    boards.addBoard(2);
    // Board 2 never answers for key indexes 3 and 4 (keys 4 and 5).
    boards.answerIf = [](int slot, int keyIndex) { return !(slot == 2 && (keyIndex == 3 || keyIndex == 4)); };
    SceneStore &store = fx.form().sceneStore();
    const QByteArray held = Pattern('\x5A');
    store.key(4).board(2) = held;
    SetFlag(fx.form().menu().miAwaitReplies, awaited);

    fx.form().menu().miReadAll->trigger();
    // The last key's replies enter the store at the next key switch.
    fx.userSelectKey(0);

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(store.key(4).board(2).toHex(), held.toHex());
    QCOMPARE(store.key(5).board(2).toHex(), QByteArray());
    for (int k : {0, 2, 5, 20, 61}) {
        QCOMPARE(store.key(k + 1).board(2).toHex(), boards.keyData(2, k).toHex());
        QCOMPARE(store.key(k + 1).board(1).toHex(), boards.keyData(1, k).toHex());
    }
    QCOMPARE(store.key(4).board(1).toHex(), boards.keyData(1, 3).toHex());
}

void TestCheckedTransfers::readKeepsWhatTheKeyHeld()
{
    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(1);
    boards.addBoard(2);
    bool board2Answers = false;
    boards.answerIf = [&](int slot, int) { return slot != 2 || board2Answers; };
    fx.setBoardPresent(1, true);
    fx.setBoardPresent(2, true);
    SceneStore &store = fx.form().sceneStore();
    store.key(6).board(2) = Pattern('\x33');

    // Key index 5 holds data for board 2; board 2 stays silent.
    fx.userSelectKey(5);
    fx.form().menu().btnRead->trigger();
    fx.userSelectKey(6);
    QCOMPARE(store.key(6).board(2).toHex(), Pattern('\x33').toHex());
    QCOMPARE(store.key(6).board(1).toHex(), boards.keyData(1, 5).toHex());

    // Key index 6 holds nothing for board 2: the panel still shows key 5's
    // pattern, which the key does not take.
    fx.form().menu().btnRead->trigger();
    fx.userSelectKey(7);
    QCOMPARE(store.key(7).board(2).toHex(), QByteArray());

    // An edit after a silent read is the user's, and stored.
    fx.form().menu().btnRead->trigger();
    fx.lightBoard(2)->DecodeBoardData(Pattern('\x0F'));
    fx.userSelectKey(8);
    QCOMPARE(store.key(8).board(2).toHex(), Pattern('\x0F').toHex());

    // A board that answers again is stored as read.
    board2Answers = true;
    fx.form().menu().btnRead->trigger();
    fx.userSelectKey(9);
    QCOMPARE(store.key(9).board(2).toHex(), boards.keyData(2, 8).toHex());
}

void TestCheckedTransfers::awaitedRead_data()
{
    QTest::addColumn<bool>("modbus");
    QTest::addColumn<int>("replyDelayMs");
    QTest::addColumn<QList<int>>("answeredSends"); // which sends (1..3) the board answers
    QTest::addColumn<QString>("waits");
    QTest::addColumn<bool>("applied");

    QTest::addRow("Modbus, answer after 30 ms: the wait ends there")
        << true << 30 << QList<int>{1, 2, 3} << "W30/500" << true;
    QTest::addRow("Modbus, answer at once") << true << 0 << QList<int>{1, 2, 3} << "W0/500" << true;
    QTest::addRow("Modbus, first answer lost: sent again")
        << true << 20 << QList<int>{2, 3} << "W500/500 W20/500" << true;
    QTest::addRow("Modbus, never answered: three sends, each its full time-out")
        << true << 0 << QList<int>{} << "W500/500 W500/500 W500/500" << false;
    QTest::addRow("board frame, answer after 10 ms") << false << 10 << QList<int>{1, 2, 3} << "W10/400" << true;
    QTest::addRow("board frame, answers only the third send")
        << false << 0 << QList<int>{3} << "W400/400 W400/400 W0/400" << true;
}

void TestCheckedTransfers::awaitedRead()
{
    QFETCH(bool, modbus);
    QFETCH(int, replyDelayMs);
    QFETCH(QList<int>, answeredSends);
    QFETCH(QString, waits);
    QFETCH(bool, applied);

    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(3);
    boards.replyDelayMs = replyDelayMs;
    int sends = 0;
    boards.answerIf = [&](int, int) { return answeredSends.contains(++sends); };
    SetFlag(fx.form().menu().miRelaymodbus, modbus);
    SetFlag(fx.form().menu().miAwaitReplies, true);
    fx.setBoardPresent(3, true);
    fx.userSelectKey(2);
    const QByteArray before = fx.lightBoard(3)->EncodeBoardData();
    fx.clearTraffic();

    fx.form().menu().btnRead->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(Waits(fx.pacer.steps()), waits);
    // No fixed pause of the designed mode is left.
    QCOMPARE(PauseCount(fx.pacer.steps()), 0);
    QCOMPARE(WritesTo(fx.writes(), 0x03), sends);
    QCOMPARE(fx.lightBoard(3)->EncodeBoardData().toHex(),
             (applied ? boards.keyData(3, 2) : before).toHex());
}

void TestCheckedTransfers::awaitedWriteIsAcknowledged_data()
{
    QTest::addColumn<bool>("modbus");
    QTest::addColumn<bool>("ackBoardWrites");
    QTest::addColumn<QString>("waits");

    QTest::addRow("Modbus: the function 16 echo") << true << false << "W0/500";
    QTest::addRow("board frame: the 'H' 02") << false << true << "W0/400";
    QTest::addRow("board frame without 'H' 02: sent three times")
        << false << false << "W400/400 W400/400 W400/400";
}

void TestCheckedTransfers::awaitedWriteIsAcknowledged()
{
    QFETCH(bool, modbus);
    QFETCH(bool, ackBoardWrites);
    QFETCH(QString, waits);

    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(4);
    boards.ackBoardWrites = ackBoardWrites;
    SetFlag(fx.form().menu().miRelaymodbus, modbus);
    SetFlag(fx.form().menu().miAwaitReplies, true);
    fx.setBoardPresent(4, true);
    fx.userSelectKey(2);
    fx.lightBoard(4)->DecodeBoardData(Pattern('\x21'));
    fx.clearTraffic();

    fx.form().menu().miSendKey->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QCOMPARE(Waits(fx.pacer.steps()), waits);
    QCOMPARE(PauseCount(fx.pacer.steps()), 0);
    QCOMPARE(WritesTo(fx.writes(), 0x04), int(waits.count(QLatin1Char('W'))));
    QCOMPARE(boards.keyData(4, 2).toHex(), Pattern('\x21').toHex());
}

void TestCheckedTransfers::awaitedScanAsksSilentSlotsAgain_data()
{
    QTest::addColumn<bool>("awaited");
    QTest::addColumn<QList<int>>("found");
    QTest::addRow("designed mode: a lost answer hides board 3") << false << QList<int>{5};
    QTest::addRow("awaited mode: board 3 asked again") << true << QList<int>{3, 5};
}

void TestCheckedTransfers::awaitedScanAsksSilentSlotsAgain()
{
    QFETCH(bool, awaited);
    QFETCH(QList<int>, found);

    MainWindowFixture fx;
    ScriptedBoards boards(*fx.transport, fx.pacer);
    boards.addBoard(3);
    boards.addBoard(5);
    int asked3 = 0;
    boards.answerIf = [&](int slot, int) { return slot != 3 || ++asked3 > 1; };
    SetFlag(fx.form().menu().miAwaitReplies, awaited);

    fx.form().menu().miScan->trigger();

    QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
    QList<int> present;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (fx.form().panels().BoardCheckBoxes.at(slot)->isChecked())
            present.append(slot);
    QCOMPARE(present, found);
    QVERIFY(!fx.form().busState().scanFlag);
}

void TestCheckedTransfers::commandSummaries_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("modbus");
    QTest::addColumn<bool>("board2Answers");
    QTest::addColumn<QString>("summary");

    QTest::addRow("讀按鍵, both answer") << "btnRead" << true << true << "讀按鍵：2/2 已回覆";
    QTest::addRow("讀按鍵, board 2 silent") << "btnRead" << true << false << "讀按鍵：1/2 已回覆，未回覆：板2 鍵4";
    QTest::addRow("儲按鍵 by Modbus, both echo") << "miSendKey" << true << true << "儲按鍵：2/2 已回覆";
    QTest::addRow("儲按鍵 by board frames, no 'H' 02 from board 2")
        << "miSendKey" << false << false << "儲按鍵：1/2 已回覆，未回覆：板2 鍵4";
    QTest::addRow("掃描 finds boards 1 and 2") << "miScan" << true << true << "掃描：2/19 已回覆：板1, 板2";
    QTest::addRow("讀全部, board 2 silent for keys 4 and 5")
        << "miReadAll" << true << false << "讀全部：122/124 已回覆，未回覆：板2 鍵4, 鍵5";
    QTest::addRow("儲全部 by Modbus") << "miSendAll" << true << true << "儲全部：60/60 已回覆";
}

void TestCheckedTransfers::commandSummaries()
{
    QFETCH(QString, command);
    QFETCH(bool, modbus);
    QFETCH(bool, board2Answers);
    QFETCH(QString, summary);

    for (bool awaited : {false, true}) {
        MainWindowFixture fx;
        ScriptedBoards boards(*fx.transport, fx.pacer);
        boards.addBoard(1);
        boards.addBoard(2);
        boards.ackBoardWrites = true;
        // Board 2 is silent for key indexes 3 and 4 (keys 4 and 5), the scan's
        // key 0 aside.
        boards.answerIf = [&](int slot, int keyIndex) {
            return slot != 2 || board2Answers || (keyIndex != 3 && keyIndex != 4);
        };
        SetFlag(fx.form().menu().miRelaymodbus, modbus);
        SetFlag(fx.form().menu().TransAllOrder, true);
        SetFlag(fx.form().menu().miAwaitReplies, awaited);
        fx.setBoardPresent(1, true);
        fx.setBoardPresent(2, true);
        fx.userSelectKey(3);
        fx.lightBoard(1)->DecodeBoardData(Pattern('\x11'));
        fx.lightBoard(2)->DecodeBoardData(Pattern('\x22'));

        fx.find<QAction>(command)->trigger();

        QVERIFY2(fx.errors.errors().isEmpty(), qPrintable(fx.errors.errors().join('\n')));
        QCOMPARE(fx.form().progress().summaryText(), summary);
        // The summary is no log line.
        for (const QString &line : fx.form().trafficLog().lines())
            QVERIFY(!line.contains(QStringLiteral("已回覆")));
    }
}

void TestCheckedTransfers::summaryText_data()
{
    QTest::addColumn<Missing>("missing");
    QTest::addColumn<int>("answered");
    QTest::addColumn<QString>("text");

    QTest::addRow("nothing missing") << Missing{} << 124 << "讀全部：124/124 已回覆";
    QTest::addRow("boards in slot order, keys in order asked")
        << Missing{{2, 7}, {1, 4}, {1, 5}} << 121 << "讀全部：121/124 已回覆，未回覆：板1 鍵4, 鍵5；板2 鍵7";
    Missing many;
    for (int k = 1; k <= 10; ++k)
        many.append({1, k});
    for (int k = 1; k <= 5; ++k)
        many.append({3, k});
    QTest::addRow("a long list ends after twelve keys") << many << 109
        << "讀全部：109/124 已回覆，未回覆：板1 鍵1, 鍵2, 鍵3, 鍵4, 鍵5, 鍵6, 鍵7, 鍵8, 鍵9, 鍵10；板3 鍵1, 鍵2 …";
}

void TestCheckedTransfers::summaryText()
{
    QFETCH(Missing, missing);
    QFETCH(int, answered);
    QFETCH(QString, text);

    TransferSummary summary;
    for (int i = 0; i < answered; ++i)
        summary.add(1 + i % 2, 1 + i / 2, true);
    for (const auto &m : missing)
        summary.add(m.first, m.second, false);
    QCOMPARE(summary.text(QStringLiteral("讀全部")), text);
}

QTEST_MAIN(TestCheckedTransfers)
#include "tst_checkedtransfers.moc"
