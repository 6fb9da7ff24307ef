// The media board pages in the main window, with the real pacer and the
// program's own Telnet link, against the virtual room's media board F8: every
// device page's "確認" lands its two values in the board's registers (as the
// room saves them on its way out), and the register page reads them back.
#include "e2eroom.h"

#include "mediaboard/devicepages.h"
#include "mediaboard/hexfields.h"
#include "mediaboard/mediaboard.h"
#include "mediaboard/modbusregisterpage.h"

#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace e2e;

namespace {

// A register value of the media board in a saved room state; -1 if absent.
qint64 SavedValue(const QJsonObject &boards, quint16 address)
{
    const QByteArray registers =
        QByteArray::fromHex(boards.value("F8").toObject().value("registers").toString().toLatin1());
    const int at = 2 * (address - 0x2000);
    if (at < 0 || at + 4 > registers.size())
        return -1;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | quint8(registers.at(at + i));
    return value;
}

struct PageCase
{
    const char *word;
    // field k: an item index for a list field, a byte for a spin field
    std::vector<int> settings;
    quint16 address; // where the row writes (DVD moved off the row's 2060)
    quint32 first;
    quint32 second;
};

} // namespace

class TestE2eMediaBoard : public QObject
{
    Q_OBJECT

private slots:
    void confirmOnEveryPageLandsInTheRoom()
    {
        // Items by position: remote 1 = "VOD2(大陸第二隻) = 00", 2 = "VOD = 01", ...
        const std::vector<PageCase> cases = {
            {"Remote", {1, 2, 2, 0, 0x42, 0, 0x00}, 0x2000, 0x000101FF, 0x42FF00FF},
            {"TV", {3, 5, 8, 0x30, 0x74, 0x64}, 0x2010, 0x02048830, 0x7464FFFF},
            {"VOD", {1, 6, 3, 0xFF, 0x74, 0x64}, 0x2020, 0x000581FF, 0x7464FFFF},
            {"AMP", {2, 9, 1, 0x3C, 0x01, 0x02}, 0x2030, 0x0108343C, 0x0102FFFF},
            {"KTV", {0, 9, 14, 0x00, 0x10, 0x20}, 0x2040, 0xFF089100, 0x1020FFFF},
            {"DVD", {1, 7, 11, 0x05, 0x06, 0x07}, 0x2050, 0x00068D05, 0x0607FFFF},
            {"STB", {2, 1, 12, 0x08, 0x09, 0x0A}, 0x2060, 0x01008E08, 0x090AFFFF},
        };
        QTemporaryDir roomFolder;
        const QString statePath = roomFolder.filePath(QStringLiteral("room.json"));
        QJsonObject boards;
        {
            Room room({"--listen", "127.0.0.1:0", "--state", statePath});
            const quint16 port = room.waitPort();
            QVERIFY(port != 0);
            ToolWindow tool(port);
            MediaBoard &media = tool.form->mediaBoard();
            ModbusRegisterPage &registers = media.registers();
            for (const PageCase &c : cases) {
                const QString word = QString::fromLatin1(c.word);
                auto *ok = tool.form->findChild<QPushButton *>(QStringLiteral("btnModbus%1OK").arg(word));
                QVERIFY(ok);
                const int tag = ok->property("tag").toInt();
                const int row = media.devices().layout(tag).row;
                // The row's Address as it stands: DVD and the set-top box share
                // row 5, so DVD writes at 2050 here and both show in the room.
                registers.addressField(row)->setText(QString::number(c.address, 16));
                for (int k = 0; k < int(c.settings.size()); ++k) {
                    QWidget *field = media.devices().field(tag, k);
                    if (auto *list = qobject_cast<QComboBox *>(field))
                        list->setCurrentIndex(c.settings[size_t(k)]);
                    else
                        qobject_cast<HexSpinBox *>(field)->setValue(c.settings[size_t(k)]);
                }
                ok->click();
                QVERIFY2(tool.errors.errors().isEmpty(), qPrintable(tool.errors.errors().join('\n')));

                // The register page reads both values back from the board.
                for (int column = 0; column < 2; ++column) {
                    registers.dataField(row, column)->clear();
                    registers.readButton(row, column)->click();
                    const quint32 expected = column == 0 ? c.first : c.second;
                    QCOMPARE(registers.dataField(row, column)->text(),
                             QString::number(expected, 16).toUpper());
                    QVERIFY2(tool.form->statusBar()->currentMessage().endsWith(
                                 QStringLiteral("%1").arg(expected, 8, 16, QLatin1Char('0')).toUpper()),
                             qPrintable(tool.form->statusBar()->currentMessage()));
                }
            }
            QVERIFY2(tool.errors.errors().isEmpty(), qPrintable(tool.errors.errors().join('\n')));
            room.stop(); // the room saves its boards on the way out
            boards = ReadRoomBoards(statePath);
        }
        for (const PageCase &c : cases) {
            QCOMPARE(SavedValue(boards, c.address), qint64(c.first));
            QCOMPARE(SavedValue(boards, quint16(c.address + 4)), qint64(c.second));
        }
        // Nothing else was written: the register after the remote page's pair
        // still holds the new board's FF.
        QCOMPARE(SavedValue(boards, 0x2008), qint64(0xFFFFFFFF));
    }
};

QTEST_MAIN(TestE2eMediaBoard)
#include "tst_e2e_mediaboard.moc"
