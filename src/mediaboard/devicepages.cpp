#include "mediaboard/devicepages.h"

#include "link/errorreporter.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "mediaboard/hexfields.h"
#include "mediaboard/modbusregisterpage.h"
#include "protocol/kvterror.h"
#include "scenes/mediarequests.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

// A pause in short steps with pending events run after each, so the window
// stays responsive and replies are logged meanwhile.
void PauseLettingEventsRun(Pacer &pacer, int ms)
{
    constexpr int kStepMs = 50;
    for (int waited = 0; waited < ms; waited += kStepMs) {
        pacer.pause(std::min(kStepMs, ms - waited));
        pacer.processEvents();
    }
}

constexpr int kMinListFieldWidth = 120;
constexpr int kSpinFieldWidth = 60;
constexpr quint8 kDefaultByte = 0xFF;

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

DevicePages::DevicePages(const MediaBoardContext &context, ModbusRegisterPage &registers, QTabWidget *pgModbus,
                         QObject *parent)
    : QObject(parent), m_context(context), m_registers(registers), m_pgModbus(pgModbus)
{
    if (!m_pgModbus)
        throw KvtError(QStringLiteral("The device pages have no page control to fill"));
    for (const DevicePageLayout &layout : DevicePageLayouts()) {
        Page page;
        page.layout = &layout;
        page.sheet = m_pgModbus->findChild<QWidget *>(QStringLiteral("tsModbus") + Text(layout.word));
        if (!page.sheet)
            throw KvtError(QStringLiteral("The page tsModbus%1 does not exist").arg(Text(layout.word)));
        buildPage(page);
        m_pages.push_back(page);
    }
}

void DevicePages::buildPage(Page &page)
{
    const DevicePageLayout &table = *page.layout;
    auto *layout = new QVBoxLayout(page.sheet);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    auto *columns = new QGridLayout;
    columns->setHorizontalSpacing(16);
    columns->setVerticalSpacing(3);
    page.fields.resize(table.fields.size());
    std::array<QList<QComboBox *>, 2> lists;
    for (int k = 0; k < int(table.fields.size()); ++k) {
        QWidget *control = nullptr;
        QWidget *box = buildField(page, k, &control);
        page.fields[size_t(k)] = control;
        const bool left = k < kLeftColumnFields;
        columns->addWidget(box, left ? k : k - kLeftColumnFields, left ? 0 : 1, Qt::AlignTop | Qt::AlignLeft);
        if (auto *list = qobject_cast<QComboBox *>(control))
            lists[left ? 0 : 1].append(list);
    }
    // The list fields of a column are alike in width, wide enough for their
    // longest item.
    for (const QList<QComboBox *> &column : lists) {
        int width = kMinListFieldWidth;
        for (QComboBox *list : column)
            width = std::max(width, list->sizeHint().width());
        for (QComboBox *list : column)
            list->setFixedWidth(width);
    }
    columns->setColumnStretch(2, 1);
    layout->addLayout(columns);
    layout->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(addButton(page, "OK", QStringLiteral("確認"), &DevicePages::btnModbusRemoteOKClick));
    buttons->addWidget(addButton(page, "Read", QStringLiteral("讀入"), &DevicePages::btnModbusRemoteReadClick));
    buttons->addWidget(addButton(page, "Reset", QStringLiteral("預設值"), &DevicePages::btnModbusRemoteResetClick));
    layout->addLayout(buttons);
}

QWidget *DevicePages::buildField(const Page &page, int k, QWidget **control)
{
    const FieldLayout &field = page.layout->fields[size_t(k)];
    const QString word = Text(page.layout->word);
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto *caption = new QLabel(Text(field.caption));
    caption->setToolTip(Text(field.captionHint));
    layout->addWidget(caption);
    if (field.isList()) {
        auto *list = new QComboBox;
        list->setObjectName(QStringLiteral("cbModbus%1%2").arg(word).arg(k));
        list->setEditable(false);
        for (const ListItem &item : field.items)
            list->addItem(Text(item.text), int(item.byte));
        list->setCurrentIndex(-1);
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list->setMaxVisibleItems(int(field.items.size()));
        // The open list is as wide as its longest item.
        list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + 24);
        *control = list;
    } else {
        auto *spin = new HexSpinBox;
        spin->setObjectName(QStringLiteral("edModbus%1%2").arg(word).arg(k));
        spin->setFixedWidth(kSpinFieldWidth);
        *control = spin;
    }
    if (field.fieldHint)
        (*control)->setToolTip(Text(field.fieldHint));
    caption->setBuddy(*control);
    layout->addWidget(*control);
    return box;
}

QPushButton *DevicePages::addButton(const Page &page, const char *role, const QString &caption,
                                    void (DevicePages::*handler)(QObject *))
{
    auto *button = new QPushButton(caption);
    button->setObjectName(QStringLiteral("btnModbus%1%2").arg(Text(page.layout->word), Text(role)));
    button->setProperty("tag", page.layout->tag);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, button, handler] {
        RunGuarded(m_context.errors, [this, button, handler] { (this->*handler)(button); });
    });
    return button;
}

const DevicePages::Page &DevicePages::pageAt(int tag) const
{
    for (const Page &page : m_pages)
        if (page.layout->tag == tag)
            return page;
    throw KvtError(QStringLiteral("No device page has the tag %1").arg(tag));
}

const DevicePages::Page &DevicePages::pageOf(QObject *sender) const
{
    bool ok = false;
    const int tag = sender ? sender->property("tag").toInt(&ok) : -1;
    if (!ok)
        throw KvtError(QStringLiteral("A device page button without a tag"));
    return pageAt(tag);
}

const DevicePageLayout &DevicePages::layout(int tag) const
{
    return *pageAt(tag).layout;
}

QWidget *DevicePages::sheet(int tag) const
{
    return pageAt(tag).sheet;
}

QWidget *DevicePages::field(int tag, int k) const
{
    const Page &page = pageAt(tag);
    return k >= 0 && k < int(page.fields.size()) ? page.fields[size_t(k)] : nullptr;
}

quint8 DevicePages::fieldByte(int tag, int k) const
{
    QWidget *control = field(tag, k);
    if (auto *list = qobject_cast<QComboBox *>(control))
        return list->currentIndex() < 0 ? kDefaultByte : quint8(list->currentData().toInt());
    if (auto *spin = qobject_cast<HexSpinBox *>(control))
        return quint8(spin->value());
    throw KvtError(QStringLiteral("Device page %1 has no field %2").arg(tag).arg(k));
}

QByteArray DevicePages::fieldBytes(const Page &page) const
{
    QByteArray bytes;
    for (int k = 0; k < int(page.fields.size()); ++k)
        bytes.append(char(fieldByte(page.layout->tag, k)));
    return bytes;
}

void DevicePages::btnModbusRemoteOKClick(QObject *sender)
{
    const Page &page = pageOf(sender);
    // A "確認" pressed while another waits between its two writes is not run.
    if (m_confirming)
        return;
    m_confirming = true;
    const auto done = OnScopeExit([this] { m_confirming = false; });

    const int row = page.layout->row;
    const QString command = m_pgModbus->tabText(m_pgModbus->indexOf(page.sheet)) + QStringLiteral(" 確認");
    const LinkDropWatch drop(m_context.bus.link, command);
    m_pgModbus->setCurrentWidget(m_registers.sheet());

    m_registers.setData(row, 0, DevicePageValues(fieldBytes(page)).first);
    m_registers.pressSend(row, 0);
    PauseLettingEventsRun(m_context.bus.pacer, kConfirmPauseMs);
    // A connection lost meanwhile: the second value is not sent.
    drop.check();
    m_registers.setData(row, 1, DevicePageValues(fieldBytes(page)).second);
    m_registers.pressSend(row, 1);
    drop.check();
}

void DevicePages::btnModbusRemoteReadClick(QObject *sender)
{
    pageOf(sender);
}

void DevicePages::btnModbusRemoteResetClick(QObject *sender)
{
    const Page &page = pageOf(sender);
    for (QWidget *control : page.fields) {
        if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentIndex(0);
        else if (auto *spin = qobject_cast<HexSpinBox *>(control))
            spin->setValue(kDefaultByte);
    }
}
