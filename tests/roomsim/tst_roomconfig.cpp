#include "protocol/kvterror.h"
#include "roomsim/roombus.h"
#include "roomsim/roomconfig.h"
#include "roomsim/sixcircuitdimmer.h"

#include <QtTest>

using Kind = BoardEntry::Kind;

class TestRoomConfig : public QObject
{
    Q_OBJECT

private slots:
    void boardsOfTheRoom_data();
    void boardsOfTheRoom();
    void refused_data();
    void refused();
    void linkAndFaultOptions();
};

void TestRoomConfig::boardsOfTheRoom_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("boards"); // id:kind letters

    QTest::addRow("demo room by default") << QStringList {}
                                          << "01L 02L 03L F1L F3D 11S 12S 05C F8M";
    QTest::addRow("demo room given in full") << QStringList {"--boards", "01,02,03,F1,F3,11,12", "--dimmer6", "05",
                                                         "--media", "F8"}
                                         << "01L 02L 03L F1L F3D 11S 12S 05C F8M";
    QTest::addRow("slot 18 is bus id 20, lower-case ids")
        << QStringList {"--boards=f2,20,19", "--dimmer6=none", "--media=none"} << "F2L 20S 19S";
    QTest::addRow("no boards at all") << QStringList {"--boards", "", "--dimmer6", "none", "--media", "none"}
                                      << "";
    QTest::addRow("dimmer at another machine number, media elsewhere")
        << QStringList {"--boards", "01", "--dimmer6", "4", "--media", "E0"} << "01L 04C E0M";
}

void TestRoomConfig::boardsOfTheRoom()
{
    QFETCH(QStringList, args);
    QFETCH(QString, boards);
    const RoomConfig config = ParseRoomConfig(args + QStringList {"--serial", "/dev/null"});
    QStringList got;
    for (const BoardEntry &b : config.boards) {
        const char letter = b.kind == Kind::Light ? 'L'
                            : b.kind == Kind::SixKey ? 'S'
                            : b.kind == Kind::MainDimmer ? 'D'
                            : b.kind == Kind::SixCircuitDimmer ? 'C'
                                                               : 'M';
        got.append(BusIdText(b.busId) + QLatin1Char(letter));
    }
    QCOMPARE(got.join(' '), boards);
}

void TestRoomConfig::refused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    const QStringList serial {"--serial", "/dev/null"};
    QTest::addRow("a light board and the dimmer on 05")
        << serial + QStringList {"--boards", "01,05"}
        << "bus id 05 is given to both the light board and the six-circuit dimmer; two boards cannot share one id";
    QTest::addRow("media board on a light board's id")
        << serial + QStringList {"--boards", "01", "--media", "01"}
        << "bus id 01 is given to both the light board and the media board; two boards cannot share one id";
    QTest::addRow("dimmer and media on one id")
        << serial + QStringList {"--dimmer6", "F8"}
        << "bus id F8 is given to both the six-circuit dimmer and the media board; two boards cannot share one id";
    QTest::addRow("one board twice") << serial + QStringList {"--boards", "11,12,11"}
                                     << "bus id 11 is given twice";
    QTest::addRow("an id that is no board of the room")
        << serial + QStringList {"--boards", "01,1A"}
        << "--boards: no board of the room has bus id 1A (light boards 01-06, F1, F2; six-key boards 11-19, 20; "
           "main dimmer F3)";
    QTest::addRow("an id that is not hex") << serial + QStringList {"--dimmer6", "x5"}
                                           << "--dimmer6: 'x5' is not a bus id (two hex digits, 01 to FF)";
    QTest::addRow("broadcast id 00") << serial + QStringList {"--media", "00"}
                                     << "--media: '00' is not a bus id (two hex digits, 01 to FF)";
    QTest::addRow("rate above 1") << serial + QStringList {"--drop-rate", "1.5"}
                                  << "--drop-rate: '1.5' is not a rate (0 to 1, or 0% to 100%)";
    QTest::addRow("no transport") << QStringList {"--fast"} << "give either --serial PATH or --listen HOST:PORT";
    QTest::addRow("two transports") << serial + QStringList {"--listen", "127.0.0.1:4444"}
                                    << "give either --serial PATH or --listen HOST:PORT";
    QTest::addRow("listen without port") << QStringList {"--listen", "127.0.0.1"}
                                         << "--listen: '127.0.0.1' is not HOST:PORT";
    QTest::addRow("port out of range") << QStringList {"--listen", "127.0.0.1:70000"}
                                       << "--listen: '70000' is not a number from 0 to 65535";
    QTest::addRow("missing value") << serial + QStringList {"--state"} << "--state needs a value";
    QTest::addRow("unknown option") << serial + QStringList {"--bords", "01"} << "unknown option '--bords'";
}

void TestRoomConfig::refused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    try {
        ParseRoomConfig(args);
        QFAIL("the configuration was accepted");
    } catch (const KvtError &e) {
        QCOMPARE(e.text().section('\n', 0, 0), message);
    }
}

void TestRoomConfig::linkAndFaultOptions()
{
    const RoomConfig config = ParseRoomConfig({"--listen", "127.0.0.1:0", "--fast", "--turnaround", "25",
                                               "--delay-ms", "40", "--drop-rate", "10%", "--corrupt-rate",
                                               "0.05", "--close-after", "7", "--seed", "99", "--state",
                                               "/tmp/room.json", "--view", "--quiet"});
    QCOMPARE(config.listenHost, QStringLiteral("127.0.0.1"));
    QCOMPARE(config.listenPort, 0);
    QVERIFY(config.serialPath.isEmpty());
    QVERIFY(config.fast);
    QCOMPARE(config.turnaroundMs, 25);
    QCOMPARE(config.delayMs, 40);
    QCOMPARE(config.dropRate, 0.10);
    QCOMPARE(config.corruptRate, 0.05);
    QCOMPARE(config.closeAfter, 7);
    QCOMPARE(config.seed, quint32(99));
    QCOMPARE(config.statePath, QStringLiteral("/tmp/room.json"));
    QVERIFY(config.view);
    QVERIFY(config.quiet);

    const RoomConfig plain = ParseRoomConfig({"--serial", "/dev/pts/9"});
    QCOMPARE(plain.serialPath, QStringLiteral("/dev/pts/9"));
    QVERIFY(!plain.fast);
    QCOMPARE(plain.turnaroundMs, 10);
    QCOMPARE(plain.dropRate, 0.0);
}

QTEST_GUILESS_MAIN(TestRoomConfig)
#include "tst_roomconfig.moc"
