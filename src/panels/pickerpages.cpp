#include "panels/pickerpages.h"

#include "link/errorreporter.h"
#include "panels/buttongrid.h"
#include "panels/clickarea.h"
#include "panels/pickerpictures.h"
#include "protocol/kvterror.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"

#include <QLabel>
#include <QRect>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct AreaPlace
{
    const char *name;
    QRect rect; // on the page
    int keyIndex;
    DrawnKey::Symbol symbol;
};

using Symbol = DrawnKey::Symbol;

// The wall panel's six keys, two rows of three; the middle keys are smaller.
const AreaPlace kWallAreas[] = {
    {"Image4", QRect(9, 9, 117, 109), 3, Symbol::Book},
    {"Image6", QRect(131, 28, 94, 91), 0, Symbol::Sun},
    {"Image2", QRect(232, 9, 118, 110), 1, Symbol::Star},
    {"Image5", QRect(8, 125, 118, 109), 4, Symbol::Lamp},
    {"Image7", QRect(132, 126, 94, 90), 5, Symbol::Moon},
    {"Image3", QRect(232, 126, 117, 109), 2, Symbol::Drop},
};
const QRect kWallPicture(1, 2, 356, 241);

// The remote's scene keys, two rows of four, over its lower half.
constexpr int kRemoteKeyWidth = 41;
constexpr int kRemoteKeyHeight = 27;
const AreaPlace kRemoteAreas[] = {
    {"Image8", QRect(78, 91, kRemoteKeyWidth, kRemoteKeyHeight), 0, Symbol::None},
    {"Image9", QRect(123, 91, kRemoteKeyWidth, kRemoteKeyHeight), 1, Symbol::None},
    {"Image10", QRect(167, 91, kRemoteKeyWidth, kRemoteKeyHeight), 2, Symbol::None},
    {"Image11", QRect(212, 91, kRemoteKeyWidth, kRemoteKeyHeight), 3, Symbol::None},
    {"Image12", QRect(78, 126, kRemoteKeyWidth, kRemoteKeyHeight), 4, Symbol::None},
    {"Image13", QRect(124, 126, kRemoteKeyWidth, kRemoteKeyHeight), 5, Symbol::None},
    {"Image14", QRect(168, 126, kRemoteKeyWidth, kRemoteKeyHeight), 6, Symbol::None},
    {"Image15", QRect(212, 126, kRemoteKeyWidth, kRemoteKeyHeight), 7, Symbol::None},
};
const QPoint kRemoteOrigin(8, -320);

// "1Key": the touch keys 1..4 (key indexes 11..14).
constexpr int kTouchKeyY = 65;
constexpr int kTouchKeyXs[] = {56, 125, 195, 264};
constexpr int kFirstTouchKey = 11;
const QSize kTouchKeySize(41, 27);

constexpr int kPowerRows = 4;
constexpr int kPowerCols = 3;
constexpr int kInputRows = kBoardInputBoards;
constexpr int kInputCols = kBoardInputKeysPerBoard;

} // namespace

PickerPages::PickerPages(const PickerPageHosts &hosts, const PickerContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{
    buildWallPanel(hosts.tsZAVO);
    buildRemote(hosts.tsFY1);
    buildGrids(hosts.tsPower, hosts.tsB1);
    buildTouchKeys(hosts.ts1Key);
}

ClickArea *PickerPages::addArea(QWidget *page, const char *name, const QRect &rect, int keyIndex)
{
    auto *area = new ClickArea(page);
    area->setObjectName(QString::fromLatin1(name));
    area->setGeometry(rect);
    area->setProperty("tag", keyIndex);
    area->setToolTip(KeyName(keyIndex));
    area->raise();
    connect(area, &ClickArea::clicked, this,
            [this, area] { RunGuarded(m_context.errors, [this, area] { Image5Click(area); }); });
    areas.push_back(area);
    return area;
}

void PickerPages::buildWallPanel(QWidget *page)
{
    Image1 = new WallPanelPicture(page);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(kWallPicture);
    std::vector<DrawnKey> keys;
    for (const AreaPlace &place : kWallAreas)
        keys.push_back({place.rect.translated(-kWallPicture.topLeft()), KeyName(place.keyIndex), place.symbol});
    Image1->setKeys(keys);
    for (const AreaPlace &place : kWallAreas)
        addArea(page, place.name, place.rect, place.keyIndex);
}

void PickerPages::buildRemote(QWidget *page)
{
    imFY1 = new RemotePicture(page);
    imFY1->setObjectName(QStringLiteral("imFY1"));
    imFY1->move(kRemoteOrigin);
    std::vector<DrawnKey> keys;
    for (const AreaPlace &place : kRemoteAreas)
        keys.push_back({place.rect.translated(-kRemoteOrigin), KeyName(place.keyIndex), place.symbol});
    imFY1->setKeys(keys);
    for (const AreaPlace &place : kRemoteAreas)
        addArea(page, place.name, place.rect, place.keyIndex)->setCursor(Qt::PointingHandCursor);
}

void PickerPages::buildGrids(QWidget *power, QWidget *inputs)
{
    const auto fill = [](QWidget *page, ButtonGrid *grid) {
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(grid);
    };
    JvArrayButton1 = new ButtonGrid(kPowerRows, kPowerCols);
    JvArrayButton1->setObjectName(QStringLiteral("JvArrayButton1"));
    fill(power, JvArrayButton1);
    connect(JvArrayButton1, &ButtonGrid::ArrayButtonClicked, this, [this](int col, int row) {
        RunGuarded(m_context.errors, [this, col, row] { JvArrayButton1ArrayButtonClicked(col, row); });
    });
    // The key-input grid is never shown; nothing handles its clicks.
    JvArrayButton2 = new ButtonGrid(kInputRows, kInputCols);
    JvArrayButton2->setObjectName(QStringLiteral("JvArrayButton2"));
    fill(inputs, JvArrayButton2);
}

void PickerPages::buildTouchKeys(QWidget *page)
{
    keySwitchLabel = new QLabel(QStringLiteral("開關:"), page);
    keySwitchLabel->setObjectName(QStringLiteral("lbSwitch"));
    keySwitchLabel->setGeometry(8, kTouchKeyY, 44, kTouchKeySize.height());
    for (int i = 0; i < int(std::size(kTouchKeyXs)); ++i) {
        auto *button = new QToolButton(page);
        button->setObjectName(QStringLiteral("JvSpeedButton%1").arg(i + 1));
        button->setText(QString::number(i + 1));
        button->setGeometry(QRect(QPoint(kTouchKeyXs[i], kTouchKeyY), kTouchKeySize));
        button->setProperty("tag", kFirstTouchKey + i);
        connect(button, &QToolButton::clicked, this,
                [this, button] { RunGuarded(m_context.errors, [this, button] { Image5Click(button); }); });
        speedButtons.push_back(button);
    }
}

void PickerPages::Image5Click(QObject *sender)
{
    bool ok = false;
    const int keyIndex = sender ? sender->property("tag").toInt(&ok) : -1;
    if (!ok)
        throw KvtError(QStringLiteral("%1 carries no key").arg(sender ? sender->objectName() : QStringLiteral("?")));
    pickKey(keyIndex);
}

void PickerPages::JvArrayButton1ArrayButtonClicked(int col, int row)
{
    if (col < 0 || col >= JvArrayButton1->cols() || row < 0 || row >= JvArrayButton1->rows())
        throw KvtError(QStringLiteral("The power grid has no button in column %1, row %2").arg(col).arg(row));
    pickKey(kFirstPowerKey + JvArrayButton1->cols() * row + col);
}

void PickerPages::pickKey(int keyIndex)
{
    if (keyIndex < 0 || keyIndex >= kKeyCount)
        throw KvtError(QStringLiteral("Key index %1 does not exist").arg(keyIndex));
    m_context.keys.selectKeyIndex(keyIndex);
    m_context.keys.ComboBox1Enter();
    m_context.readKey();
}
