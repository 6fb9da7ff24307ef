#include "protocol/boardframe.h"
#include "protocol/modbus.h"
#include "roomsim/roombus.h"
#include "roomsim/roomconfig.h"
#include "roomsim/roomview.h"

#include <QApplication>
#include <QtTest>

namespace {

QByteArray B(const QString &hex)
{
    return BoardFrame(QByteArray::fromHex(hex.toLatin1()));
}

QByteArray M(const QString &hex)
{
    return ModbusWireText(QByteArray::fromHex(hex.toLatin1()));
}

bool Lit(const QImage &image, const QPoint &at)
{
    const QColor c = image.pixelColor(at);
    return c.red() > 200 && c.green() > 180 && c.blue() < 100;
}

// Inside a lamp, clear of its number.
QPoint InLamp(const QRect &lamp)
{
    return {lamp.left() + 4, lamp.center().y()};
}

// A point at a share of the bar's width, on its middle line.
QPoint Along(const QRect &bar, double share)
{
    return {bar.left() + int(bar.width() * share), bar.center().y() + 5};
}

} // namespace

class TestRoomView : public QObject
{
    Q_OBJECT

private slots:
    void showsOutputsAndLevels();
};

void TestRoomView::showsOutputsAndLevels()
{
    // Rows in the order of the room: 01 02 03 F1 F3 11 12 05 F8.
    RoomBus bus(ParseRoomConfig({"--serial", "/dev/null"}).boards);
    RoomView view(bus);
    view.resize(view.sizeHint());
    bus.feed(B("0103FF81")); // board 01: outputs 1 and 8
    bus.feed(B("1203F002")); // six-key board 12: masked, nothing of output 2 changes
    bus.feed(B("12030F0F")); // outputs 1-4
    bus.feed(B("F3030D07")); // main dimmer: group 1 level 3, group 2 level 1
    bus.feed(M("051081020001022801")); // circuit 3 of the dimmer at 40 of 63

    const QImage image = view.grab().toImage();
    QVERIFY(!image.isNull());
    if (qEnvironmentVariableIsSet("KVT_ROOMVIEW_PNG"))
        image.save(qEnvironmentVariable("KVT_ROOMVIEW_PNG"));
    for (int r = 1; r <= 8; ++r) {
        QCOMPARE(Lit(image, InLamp(RoomView::lampRect(0, r))), r == 1 || r == 8);
        QCOMPARE(Lit(image, InLamp(RoomView::lampRect(1, r))), false);
        QCOMPARE(Lit(image, InLamp(RoomView::lampRect(6, r))), r <= 4);
    }
    const QRect group1 = RoomView::barRect(4, 1, true);
    const QRect group2 = RoomView::barRect(4, 2, true);
    QVERIFY(Lit(image, Along(group1, 0.95)));
    QVERIFY(Lit(image, Along(group2, 0.25)));
    QVERIFY(!Lit(image, Along(group2, 0.5)));
    const QRect circuit3 = RoomView::barRect(7, 3, false);
    QVERIFY(Lit(image, Along(circuit3, 0.5)));
    QVERIFY(!Lit(image, Along(circuit3, 0.8)));
    QVERIFY(!Lit(image, Along(RoomView::barRect(7, 1, false), 0.1)));

    // A key press later: the view follows without being told.
    bus.feed(B("010410 FF00FF00FF00FF00"));
    bus.feed(B("000110"));
    const QImage after = view.grab().toImage();
    QVERIFY(!Lit(after, InLamp(RoomView::lampRect(0, 1))));
    QVERIFY(!Lit(after, InLamp(RoomView::lampRect(0, 8))));
}

QTEST_MAIN(TestRoomView)
#include "tst_roomview.moc"
