#include "app/mainpages.h"

#include "app/buttontabstrip.h"
#include "app/trafficlogview.h"
#include "link/trafficlog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProxyStyle>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kLeftColumnWidth = 441;

QWidget *AddPage(QTabWidget *tabs, const QString &name, const QString &caption)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    tabs->addTab(page, caption);
    return page;
}

template <typename T>
T *Named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QVBoxLayout *NewHost(QGridLayout *grid, int row, int column)
{
    auto *host = new QVBoxLayout;
    host->setContentsMargins(0, 0, 0, 0);
    grid->addLayout(host, row, column);
    return host;
}

// Tabs with half the usual side padding, so the nine device tabs fit in the
// left column without scroll arrows.
class NarrowTabStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value / 2 : value;
    }
};

} // namespace

MainPages::MainPages(QWidget *central, TrafficLog &log)
{
    auto *columns = new QHBoxLayout(central);
    columns->setContentsMargins(2, 2, 2, 2);
    columns->setSpacing(4);
    columns->addWidget(buildLeftColumn(log));
    buildPageControl2();
    columns->addWidget(PageControl2, 1);
}

QWidget *MainPages::buildLeftColumn(TrafficLog &log)
{
    auto *left = new QWidget;
    left->setFixedWidth(kLeftColumnWidth);
    auto *column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(buildKeyRow());
    buildPageControl1();
    column->addWidget(PageControl1Tabs);
    column->addWidget(PageControl1, 3);
    buildPageControl3(log);
    column->addWidget(PageControl3, 2);
    return left;
}

QWidget *MainPages::buildKeyRow()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 2, 2, 2);
    Label1 = Named(new QLabel(QStringLiteral("按鍵名稱:")), "Label1");
    ComboBox1 = Named(new QComboBox, "ComboBox1");
    ComboBox1->setEditable(false);
    ComboBox1->setMinimumWidth(140);
    ComboBox1->setMaxVisibleItems(20);
    ComboBox2 = Named(new QComboBox, "ComboBox2");
    ComboBox2->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                         QStringLiteral("4")});
    ComboBox2->setCurrentIndex(-1);
    // Kept from an older room-number read; no command uses them.
    Label2 = Named(new QLabel(QStringLiteral("房號:")), "Label2");
    edRoomNo = Named(new QLineEdit(QStringLiteral("201")), "edRoomNo");
    btnReadx = Named(new QPushButton(QStringLiteral("read")), "btnReadx");
    for (QWidget *w : {static_cast<QWidget *>(Label2), static_cast<QWidget *>(edRoomNo),
                       static_cast<QWidget *>(btnReadx)})
        w->hide();
    layout->addWidget(Label1);
    layout->addWidget(ComboBox1);
    layout->addWidget(ComboBox2);
    layout->addWidget(Label2);
    layout->addWidget(edRoomNo);
    layout->addWidget(btnReadx);
    layout->addStretch(1);
    return row;
}

void MainPages::buildPageControl1()
{
    PageControl1 = Named(new QTabWidget, "PageControl1");
    tsZAVO = AddPage(PageControl1, QStringLiteral("tsZAVO"), QStringLiteral("zu"));
    tsFY1 = AddPage(PageControl1, QStringLiteral("tsFY1"), QStringLiteral("線控1"));
    tsPower = AddPage(PageControl1, QStringLiteral("tsPower"), QStringLiteral("電力控制"));
    tsB1 = AddPage(PageControl1, QStringLiteral("tsB1"), QStringLiteral("燈光板輸入"));
    ts1Key = AddPage(PageControl1, QStringLiteral("ts1Key"), QStringLiteral("1Key"));
    for (int k = 1; k <= kSixKeyPanelCount; ++k) {
        QWidget *page = AddPage(PageControl1, QStringLiteral("ts6Key%1").arg(k),
                                QStringLiteral("6Key-%1").arg(k));
        ts6Key[size_t(k)] = page;
        auto *grid = new QGridLayout(page);
        grid->setContentsMargins(2, 2, 2, 2);
        // The six-key panel fills the page's height left of the outputs.
        auto *host = new QVBoxLayout;
        host->setContentsMargins(0, 0, 0, 0);
        grid->addLayout(host, 0, 0, 2, 1);
        sixKeyHosts[size_t(k)] = host;
        grid->setColumnStretch(0, 1);
        // The six-key board's relay outputs: the light-board panel of its slot.
        m_lightBoardHosts[size_t(SixKeyPanelSlot(k) - 1)] = NewHost(grid, 0, 1);
        grid->setRowStretch(1, 1);
    }
    // The key-input page is reached only through its grid, never by its tab.
    PageControl1->setTabVisible(PageControl1->indexOf(tsB1), false);
    PageControl1Tabs = new ButtonTabStrip(PageControl1, 7);
    PageControl1Tabs->setObjectName(QStringLiteral("PageControl1Tabs"));
}

void MainPages::buildPageControl3(TrafficLog &log)
{
    PageControl3 = Named(new QTabWidget, "PageControl3");
    tsLog = AddPage(PageControl3, QStringLiteral("tsLog"), QStringLiteral("Log"));
    ListBox1 = new TrafficLogView(&log);
    auto *logLayout = new QVBoxLayout(tsLog);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->addWidget(ListBox1);

    tsModbus = AddPage(PageControl3, QStringLiteral("tsModbus"), QStringLiteral("VOD板"));
    pgModbus = Named(new QTabWidget, "pgModbus");
    pgModbus->setTabPosition(QTabWidget::South);
    auto *narrowTabs = new NarrowTabStyle;
    narrowTabs->setParent(pgModbus->tabBar());
    pgModbus->tabBar()->setStyle(narrowTabs);
    tsModbusMain = AddPage(pgModbus, QStringLiteral("tsModbusMain"), QStringLiteral("主頁"));
    tsModbusRemote = AddPage(pgModbus, QStringLiteral("tsModbusRemote"), QStringLiteral("遙控器"));
    tsModbusTV = AddPage(pgModbus, QStringLiteral("tsModbusTV"), QStringLiteral("TV"));
    tsModbusVOD = AddPage(pgModbus, QStringLiteral("tsModbusVOD"), QStringLiteral("VOD"));
    tsModbusAMP = AddPage(pgModbus, QStringLiteral("tsModbusAMP"), QStringLiteral("AMP"));
    tsModbusKTV = AddPage(pgModbus, QStringLiteral("tsModbusKTV"), QStringLiteral("KTV"));
    tsModbusDVD = AddPage(pgModbus, QStringLiteral("tsModbusDVD"), QStringLiteral("DVD"));
    tsModbusSTB = AddPage(pgModbus, QStringLiteral("tsModbusSTB"), QStringLiteral("機上盒"));
    tsModbusOthers = AddPage(pgModbus, QStringLiteral("tsModbusOthers"), QStringLiteral("特例"));
    auto *modbusLayout = new QVBoxLayout(tsModbus);
    modbusLayout->setContentsMargins(0, 0, 0, 0);
    modbusLayout->addWidget(pgModbus);
    PageControl3->setCurrentWidget(tsModbus);
}

void MainPages::buildPageControl2()
{
    PageControl2 = Named(new QTabWidget, "PageControl2");
    ts8Lights = AddPage(PageControl2, QStringLiteral("ts8Lights"), QStringLiteral("8路燈光"));
    auto *grid = new QGridLayout(ts8Lights);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(2);
    // Slots 1, 2, 3 on top, 4, 5, 6 below.
    for (int slot = 1; slot <= 6; ++slot)
        m_lightBoardHosts[size_t(slot - 1)] = NewHost(grid, (slot - 1) / 3, (slot - 1) % 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(3, 1);
    buildSystemPage();
    buildSixLightsPage();
    PageControl2->setCurrentWidget(ts8Lights);
}

void MainPages::buildSystemPage()
{
    tsSystem = AddPage(PageControl2, QStringLiteral("tsSystem"), QStringLiteral("系統燈光"));
    tsSystem->setAutoFillBackground(true);
    QPalette aqua = tsSystem->palette();
    aqua.setColor(QPalette::Window, QColor(0, 255, 255));
    tsSystem->setPalette(aqua);
    auto *page = new QVBoxLayout(tsSystem);
    page->setContentsMargins(2, 0, 2, 2);
    auto *boards = new QGridLayout;
    boards->setSpacing(2);
    m_lightBoardHosts[6] = NewHost(boards, 0, 0);
    m_lightBoardHosts[7] = NewHost(boards, 0, 1);
    boards->setColumnStretch(2, 1);
    page->addLayout(boards);
    cbMainBoard3 = Named(new QCheckBox(QStringLiteral("主調燈光板")), "cbMainBoard3");
    cbMainBoard3->setProperty("tag", kMainDimmerSlot);
    auto *boardRow = new QHBoxLayout;
    boardRow->addSpacing(78);
    boardRow->addWidget(cbMainBoard3);
    boardRow->addStretch(1);
    page->addLayout(boardRow);
    page->addStretch(1);
    // The main dimmer's bars and boxes; shown while its board checkbox is set.
    Panel9 = Named(new QFrame, "Panel9");
    Panel9->setFixedHeight(195);
    Panel9->setFrameShape(QFrame::NoFrame);
    Panel9->setProperty("tag", kMainDimmerSlot);
    Panel9->hide();
    page->addWidget(Panel9);
}

void MainPages::buildSixLightsPage()
{
    ts6Lights = AddPage(PageControl2, QStringLiteral("ts6Lights"), QStringLiteral("6回調光"));
    auto *page = new QVBoxLayout(ts6Lights);
    page->setContentsMargins(2, 2, 2, 2);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    cb6LightsEnabled = Named(new QCheckBox(QStringLiteral("開啟")), "cb6LightsEnabled");
    Label4 = Named(new QLabel(QStringLiteral("機號")), "Label4");
    se6LightsMno = Named(new QSpinBox, "se6LightsMno");
    se6LightsMno->setRange(0, 255);
    se6LightsMno->setValue(4);
    btn6LightsSendAll = Named(new QPushButton(QStringLiteral("全傳")), "btn6LightsSendAll");
    btn6LightsGetAll = Named(new QPushButton(QStringLiteral("全讀")), "btn6LightsGetAll");
    BitBtn1 = Named(new QPushButton, "BitBtn1");
    BitBtn1->hide();
    header->addSpacing(40);
    header->addWidget(cb6LightsEnabled);
    header->addSpacing(40);
    header->addWidget(Label4);
    header->addWidget(se6LightsMno);
    header->addSpacing(12);
    header->addWidget(btn6LightsSendAll);
    header->addWidget(btn6LightsGetAll);
    header->addWidget(BitBtn1);
    header->addStretch(1);
    page->addLayout(header);
    sixLightsHost = new QVBoxLayout;
    sixLightsHost->setContentsMargins(0, 0, 0, 0);
    sixLightsHost->setSpacing(3);
    page->addLayout(sixLightsHost);
    page->addStretch(1);
}

int MainPages::sixKeyPanelOfPage(const QWidget *page) const
{
    for (int k = 1; k <= kSixKeyPanelCount; ++k)
        if (page && ts6Key[size_t(k)] == page)
            return k;
    return 0;
}

void MainPages::placeLightBoard(int slot, QWidget *panel)
{
    QVBoxLayout *host = m_lightBoardHosts.at(size_t(slot - 1));
    host->addWidget(panel, 0, Qt::AlignTop | Qt::AlignLeft);
}
