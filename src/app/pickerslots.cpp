// The main window's key pickers and board test: their construction and the
// handlers the menu, the pages and the timer reach.
#include "app/buscommands.h"
#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/mainwindow.h"
#include "panels/boardtest.h"
#include "panels/buttongrid.h"
#include "panels/lightboard.h"
#include "panels/pickerpages.h"
#include "scenes/keyswitch.h"
#include "scenes/keytables.h"

#include <QAction>
#include <QStatusBar>

namespace {

// How long the board test's notice stays when no further one replaces it.
constexpr int kBoardTestNoticeMs = 8000;
// The key-input grid's colour entries: yellow, 0x00BBGGRR in decimal.
constexpr int kKeyInputColour = 0xFFFF;

} // namespace

void TForm1::createPickersAndBoardTest()
{
    MainPages &pages = *m_pages;
    m_pickers = new PickerPages({pages.tsZAVO, pages.tsFY1, pages.tsPower, pages.tsB1, pages.ts1Key},
                                {*m_keySwitch, [this] { btnReadClick(); }, m_environment.errors}, this);

    BusCommands &commands = *m_busCommands;
    const BoardTestContext test{
        m_bus,
        m_environment.errors,
        m_busState,
        *m_keySwitch,
        m_panels.LightBoardPanels,
        [this] { return m_menu->miReadOnly->isChecked(); },
        [&commands] {
            return commands.keys.isScanning() || commands.bulk.isReadingAll() || commands.bulk.isSendingAll()
                   || commands.sixKeys.isRunning();
        },
        [this](const QString &text) { statusBar()->showMessage(text, kBoardTestNoticeMs); },
    };
    m_boardTest = new BoardTest(test, this);
    connect(m_menu->N7, &QAction::triggered, this, [this] { guarded([this] { N7Click(); }); });
    connect(m_menu->N9, &QAction::triggered, this, [this] { guarded([this] { N9Click(); }); });
}

void TForm1::fillPickerCaptions()
{
    // The key-input grid: 板i / 鍵j with i the row, j the column, all yellow.
    ButtonGrid *inputs = m_pickers->JvArrayButton2;
    inputs->setCaptions({});
    inputs->setColors({});
    QStringList captions;
    QStringList colours;
    for (int board = 1; board <= kBoardInputBoards; ++board)
        for (int key = 1; key <= kBoardInputKeysPerBoard; ++key) {
            captions.append(BoardInputKeyName(board, key));
            colours.append(QString::number(kKeyInputColour));
        }
    inputs->setCaptions(captions);
    inputs->setColors(colours);
}

void TForm1::fillPowerCaptions()
{
    // Every name from the first power output on; the grid shows the first 12.
    m_pickers->JvArrayButton1->setCaptions(KeyNames().mid(kFirstPowerKey));
}

void TForm1::Image5Click(QObject *sender)
{
    m_pickers->Image5Click(sender);
}

void TForm1::JvArrayButton1ArrayButtonClicked(int col, int row)
{
    m_pickers->JvArrayButton1ArrayButtonClicked(col, row);
}

void TForm1::N7Click()
{
    m_boardTest->N7Click();
}

void TForm1::N9Click()
{
    m_boardTest->N9Click();
}

void TForm1::tmrTestBoardTimer()
{
    m_boardTest->tmrTestBoardTimer();
}
