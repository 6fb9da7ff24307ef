#include "mediaboard/modbusregisterpage.h"

#include "link/errorreporter.h"
#include "link/linkdropwatch.h"
#include "mediaboard/hexfields.h"
#include "protocol/kvterror.h"
#include "scenes/mediarequests.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kAddressDigits = 4;
constexpr int kIdBits = 8;
constexpr int kAddressBits = 16;
constexpr int kDataBits = 32;
constexpr quint16 kSecondValueOffset = 4;

// The page as it starts: ID, Address, Data, Data at Address + 4.
struct InitialRow
{
    const char *id;
    const char *address;
    const char *data0;
    const char *data1;
};
constexpr InitialRow kInitialRows[kRegisterRows] = {
    {"f8", "2000", "000101FF", "FFFFFFFF"}, {"f8", "2010", "010087FF", "FFFFFFFF"},
    {"f8", "2020", "000581FF", "FFFFFFFF"}, {"f8", "2030", "0001FFFF", "FFFFFFFF"},
    {"f8", "2040", "FF0289FF", "FFFFFFFF"}, {"f8", "2060", "000534FF", "FFFFFFFF"},
};

// Grid columns: ID, Address, Data, 送出, 讀取, Data at Address + 4, 送出, 讀取.
constexpr int kIdColumn = 0;
constexpr int kAddressColumn = 1;
constexpr int kFirstDataColumn = 2;
constexpr int kColumnsPerData = 3;

QString Hex(quint32 value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString ReadBackText(quint8 id, quint16 address, const RegisterReadResult &result)
{
    const QString where = QStringLiteral("讀取 ID %1 位址 %2：").arg(Hex(id, 2), Hex(address, 4));
    switch (result.kind) {
    case RegisterReadResult::Kind::Value:
        return where + Hex(result.value, 8);
    case RegisterReadResult::Kind::NoAnswer:
        return where + QStringLiteral("沒有回應");
    case RegisterReadResult::Kind::Exception:
        return where + QStringLiteral("例外碼 %1").arg(Hex(quint32(result.exceptionCode), 2));
    case RegisterReadResult::Kind::WrongLength:
        return where + QStringLiteral("回應有 %1 個資料位元組，不是 4 個").arg(result.byteCount);
    case RegisterReadResult::Kind::Damaged:
        return where + QStringLiteral("回應已損壞（LRC 或長度不符）");
    }
    return where;
}

} // namespace

ModbusRegisterPage::ModbusRegisterPage(const MediaBoardContext &context, QWidget *sheet, QObject *parent)
    : QObject(parent), m_context(context), m_sheet(sheet), m_readBack(context.bus)
{
    if (!m_sheet)
        throw KvtError(QStringLiteral("The register page has no sheet to fill"));
    build();
}

void ModbusRegisterPage::build()
{
    auto *grid = new QGridLayout(m_sheet);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(2);
    const auto header = [grid](const QString &text, int column) {
        grid->addWidget(new QLabel(text), 0, column, Qt::AlignLeft | Qt::AlignBottom);
    };
    header(QStringLiteral("ID"), kIdColumn);
    header(QStringLiteral("Address"), kAddressColumn);
    header(QStringLiteral("Data"), kFirstDataColumn);
    header(QStringLiteral("Address + 4"), kFirstDataColumn + kColumnsPerData);

    const QFontMetrics metrics(m_sheet->font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('D'));
    for (int r = 0; r < kRegisterRows; ++r) {
        Row &row = m_rows[size_t(r)];
        const InitialRow &initial = kInitialRows[r];
        row.id = new HexEdit(0);
        row.id->setObjectName(QStringLiteral("edModbusId%1").arg(r));
        row.id->setText(QString::fromLatin1(initial.id));
        row.id->setFixedWidth(4 * digit);
        row.address = new HexEdit(kAddressDigits);
        row.address->setObjectName(QStringLiteral("edModbusAddress%1").arg(r));
        row.address->setZeroShowsEmpty(true);
        row.address->setText(QString::fromLatin1(initial.address));
        row.address->setFixedWidth(6 * digit);
        grid->addWidget(row.id, r + 1, kIdColumn);
        grid->addWidget(row.address, r + 1, kAddressColumn);
        for (int c = 0; c < kDataColumns; ++c) {
            const int tag = 10 * r + c;
            HexEdit *data = new HexEdit(0);
            data->setObjectName(QStringLiteral("edModbusData%1%2").arg(r).arg(c));
            data->setText(QString::fromLatin1(c == 0 ? initial.data0 : initial.data1));
            data->setFixedWidth(10 * digit);
            auto *send = new QPushButton(QStringLiteral("送出"));
            send->setObjectName(QStringLiteral("btnSendModbus%1%2").arg(r).arg(c));
            auto *read = new QPushButton(QStringLiteral("讀取"));
            read->setObjectName(QStringLiteral("btnReadModbus%1%2").arg(r).arg(c));
            for (QPushButton *b : {send, read}) {
                b->setProperty("tag", tag);
                b->setAutoDefault(false);
                b->setFixedWidth(metrics.horizontalAdvance(b->text()) + 2 * digit);
            }
            connect(send, &QPushButton::clicked, this, [this, send] {
                RunGuarded(m_context.errors, [this, send] { btnSendModbus00Click(send); });
            });
            connect(read, &QPushButton::clicked, this, [this, read] {
                RunGuarded(m_context.errors, [this, read] { btnReadModbus00Click(read); });
            });
            const int column = kFirstDataColumn + kColumnsPerData * c;
            grid->addWidget(data, r + 1, column);
            grid->addWidget(send, r + 1, column + 1);
            grid->addWidget(read, r + 1, column + 2);
            row.data[size_t(c)] = data;
            row.send[size_t(c)] = send;
            row.read[size_t(c)] = read;
        }
    }
    grid->setColumnStretch(kFirstDataColumn + 2 * kColumnsPerData, 1);
    grid->setRowStretch(kRegisterRows + 1, 1);
}

const ModbusRegisterPage::Row &ModbusRegisterPage::rowAt(int row) const
{
    if (row < 0 || row >= kRegisterRows)
        throw KvtError(QStringLiteral("The register page has no row %1").arg(row));
    return m_rows[size_t(row)];
}

HexEdit *ModbusRegisterPage::idField(int row) const
{
    return rowAt(row).id;
}

HexEdit *ModbusRegisterPage::addressField(int row) const
{
    return rowAt(row).address;
}

HexEdit *ModbusRegisterPage::dataField(int row, int column) const
{
    return rowAt(row).data.at(size_t(column));
}

QPushButton *ModbusRegisterPage::sendButton(int row, int column) const
{
    return rowAt(row).send.at(size_t(column));
}

QPushButton *ModbusRegisterPage::readButton(int row, int column) const
{
    return rowAt(row).read.at(size_t(column));
}

void ModbusRegisterPage::setData(int row, int column, quint32 value)
{
    dataField(row, column)->setNumber(value);
}

void ModbusRegisterPage::pressSend(int row, int column)
{
    btnSendModbus00Click(sendButton(row, column));
}

std::pair<int, int> ModbusRegisterPage::Place(QObject *sender)
{
    bool ok = false;
    const int tag = sender ? sender->property("tag").toInt(&ok) : 0;
    const int row = tag / 10;
    const int column = tag % 10;
    if (!ok || tag < 0 || row >= kRegisterRows || column >= kDataColumns)
        throw KvtError(QStringLiteral("No register page button has the tag %1").arg(tag));
    return {row, column};
}

quint8 ModbusRegisterPage::idOf(int row) const
{
    return quint8(rowAt(row).id->lowBits(kIdBits));
}

quint16 ModbusRegisterPage::addressOf(int row, int column) const
{
    // Address + 4 wraps at 16 bits: FFFC + 4 is 0000.
    const quint32 address = rowAt(row).address->lowBits(kAddressBits) + (column == 1 ? kSecondValueOffset : 0);
    return quint16(address & 0xFFFF);
}

void ModbusRegisterPage::btnSendModbus00Click(QObject *sender)
{
    const auto [row, column] = Place(sender);
    const quint32 value = dataField(row, column)->lowBits(kDataBits);
    SendModbusFrame(m_context.bus, RegisterValueWriteRequest(idOf(row), addressOf(row, column), value));
}

void ModbusRegisterPage::btnReadModbus00Click(QObject *sender)
{
    const auto [row, column] = Place(sender);
    // A second press while the first waits for its answer does nothing.
    if (m_readBack.isWaiting())
        return;
    const quint8 id = idOf(row);
    const quint16 address = addressOf(row, column);
    const LinkDropWatch drop(m_context.bus.link, QStringLiteral("讀取"));
    const RegisterReadResult result = m_readBack.read(id, address);
    if (result.kind == RegisterReadResult::Kind::NoAnswer)
        drop.check();
    if (result.kind == RegisterReadResult::Kind::Value)
        setData(row, column, result.value);
    m_context.showStatus(ReadBackText(id, address, result));
}
