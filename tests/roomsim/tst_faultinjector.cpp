#include "roomsim/faultinjector.h"

#include <QtTest>

class TestFaultInjector : public QObject
{
    Q_OBJECT

private slots:
    void ratesHold_data();
    void ratesHold();
    void sameSeedSameRun();
};

void TestFaultInjector::ratesHold_data()
{
    QTest::addColumn<double>("dropRate");
    QTest::addColumn<double>("corruptRate");

    QTest::addRow("no faults") << 0.0 << 0.0;
    QTest::addRow("10% dropped") << 0.10 << 0.0;
    QTest::addRow("5% of bytes corrupted") << 0.0 << 0.05;
    QTest::addRow("both, as in the reliability run") << 0.10 << 0.05;
    QTest::addRow("everything dropped") << 1.0 << 0.0;
    QTest::addRow("every byte corrupted") << 0.0 << 1.0;
}

void TestFaultInjector::ratesHold()
{
    QFETCH(double, dropRate);
    QFETCH(double, corruptRate);

    constexpr int kReplies = 4000;
    const QByteArray reply = QByteArray::fromHex("480B0106300102030405060708FF");
    FaultInjector faults(dropRate, corruptRate, 7);
    int dropped = 0;
    int corrupted = 0;
    int sent = 0;
    for (int i = 0; i < kReplies; ++i) {
        const FaultInjector::Outcome outcome = faults.apply(reply);
        if (outcome.dropped) {
            QVERIFY(outcome.bytes.isEmpty());
            ++dropped;
            continue;
        }
        QCOMPARE(outcome.bytes.size(), reply.size());
        int differing = 0;
        for (int b = 0; b < reply.size(); ++b)
            differing += outcome.bytes[b] != reply[b];
        // Every byte counted as corrupted really differs, and no other does.
        QCOMPARE(differing, outcome.corrupted);
        corrupted += outcome.corrupted;
        sent += int(reply.size());
    }
    // Within four standard deviations of the rate asked for.
    auto near = [](int count, int trials, double rate) {
        const double expected = trials * rate;
        const double spread = 4 * std::sqrt(trials * rate * (1 - rate)) + 0.5;
        return std::abs(count - expected) <= spread;
    };
    QVERIFY2(near(dropped, kReplies, dropRate), qPrintable(QString::number(dropped)));
    QVERIFY2(near(corrupted, sent, corruptRate), qPrintable(QString::number(corrupted)));
    QVERIFY(faults.apply(QByteArray()).bytes.isEmpty());
}

void TestFaultInjector::sameSeedSameRun()
{
    const QByteArray reply = QByteArray::fromHex(":0103080102030405060708DA");
    FaultInjector a(0.2, 0.1, 42);
    FaultInjector b(0.2, 0.1, 42);
    FaultInjector c(0.2, 0.1, 43);
    bool differs = false;
    for (int i = 0; i < 200; ++i) {
        const auto x = a.apply(reply);
        const auto y = b.apply(reply);
        const auto z = c.apply(reply);
        QCOMPARE(x.bytes, y.bytes);
        QCOMPARE(x.dropped, y.dropped);
        differs = differs || x.bytes != z.bytes;
    }
    QVERIFY(differs);
}

QTEST_GUILESS_MAIN(TestFaultInjector)
#include "tst_faultinjector.moc"
