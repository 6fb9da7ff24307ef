#include "roomsim/roombus.h"

#include "protocol/boardframe.h"
#include "protocol/hex.h"
#include "protocol/kvterror.h"
#include "protocol/modbus.h"
#include "roomsim/keymap.h"
#include "roomsim/keymemoryboard.h"
#include "roomsim/mediaregisterboard.h"
#include "roomsim/sixcircuitdimmer.h"

namespace {

constexpr quint8 kBroadcastId = 0x00;

std::unique_ptr<SimBoard> MakeBoard(const BoardEntry &entry)
{
    switch (entry.kind) {
    case BoardEntry::Kind::Light:
        return std::make_unique<KeyMemoryBoard>(entry.busId, KeyMemoryBoard::Kind::Light);
    case BoardEntry::Kind::SixKey:
        return std::make_unique<KeyMemoryBoard>(entry.busId, KeyMemoryBoard::Kind::SixKey);
    case BoardEntry::Kind::MainDimmer:
        return std::make_unique<KeyMemoryBoard>(entry.busId, KeyMemoryBoard::Kind::MainDimmer);
    case BoardEntry::Kind::SixCircuitDimmer:
        return std::make_unique<SixCircuitDimmer>(entry.busId);
    case BoardEntry::Kind::Media:
        return std::make_unique<MediaRegisterBoard>(entry.busId);
    }
    return nullptr;
}

QString WireText(const BusFrame &frame)
{
    if (frame.kind == BusFrame::Kind::Modbus)
        return QString::fromLatin1(frame.wire.left(frame.wire.size() - 2));
    return BytesToHex(frame.wire, QStringLiteral(" ")).trimmed();
}

QString ReplyText(const BusExchange &exchange)
{
    if (exchange.reply.isEmpty())
        return QStringLiteral("no answer");
    if (exchange.request.kind == BusFrame::Kind::Modbus)
        return QString::fromLatin1(exchange.reply.left(exchange.reply.size() - 2));
    return BytesToHex(exchange.reply, QStringLiteral(" ")).trimmed();
}

} // namespace

QString BusIdText(quint8 busId)
{
    return BytesToHex(QByteArray(1, char(busId)), QString());
}

RoomBus::RoomBus(const std::vector<BoardEntry> &boards)
{
    for (const BoardEntry &entry : boards)
        m_boards.push_back(MakeBoard(entry));
}

SimBoard *RoomBus::board(quint8 busId) const
{
    for (const auto &b : m_boards)
        if (b->busId() == busId)
            return b.get();
    return nullptr;
}

std::vector<BusExchange> RoomBus::feed(const QByteArray &bytes)
{
    return serveAll(m_parser.feed(bytes));
}

std::vector<BusExchange> RoomBus::flush()
{
    return serveAll(m_parser.flush());
}

std::vector<BusExchange> RoomBus::serveAll(const std::vector<BusFrame> &frames)
{
    std::vector<BusExchange> exchanges;
    for (const BusFrame &frame : frames)
        exchanges.push_back(serve(frame));
    return exchanges;
}

BusExchange RoomBus::serve(const BusFrame &frame)
{
    BusExchange exchange = frame.kind == BusFrame::Kind::Board ? serveBoardFrame(frame) : serveModbus(frame);
    exchange.request = frame;
    exchange.line = QStringLiteral("<- %1  %2  -> %3").arg(WireText(frame), exchange.line, ReplyText(exchange));
    return exchange;
}

BusExchange RoomBus::serveBoardFrame(const BusFrame &frame)
{
    BusExchange exchange;
    const QByteArray &payload = frame.payload;
    if (payload.isEmpty()) {
        exchange.line = QStringLiteral("empty board frame");
        return exchange;
    }
    const quint8 id = quint8(payload[0]);
    if (id == kBroadcastId) {
        // Key press: 00, bank + 01, key byte + step; step 0 stands for column 1.
        if (payload.size() != 3 || (quint8(payload[1]) & 0x07) != 1) {
            exchange.line = QStringLiteral("broadcast not understood");
            return exchange;
        }
        const int key = KeyIndexForCode(quint8(payload[1]) & 0xF8, quint8(payload[2]));
        const int step = quint8(payload[2]) & 0x0F;
        if (key < 0 || step > 4) {
            exchange.line = QStringLiteral("key press of an unknown key or step");
            return exchange;
        }
        const int column = step == 0 ? 1 : step;
        for (const auto &b : m_boards)
            b->keyPress(key, column);
        exchange.line = QStringLiteral("key press key %1 column %2").arg(key + 1).arg(column);
        return exchange;
    }
    SimBoard *target = board(id);
    if (!target) {
        exchange.line = QStringLiteral("no board %1").arg(BusIdText(id));
        return exchange;
    }
    const std::optional<BoardAnswer> answer = target->boardFrame(payload);
    if (!answer) {
        exchange.line = QStringLiteral("%1 %2: not understood").arg(BusIdText(id), target->kindName());
        return exchange;
    }
    exchange.line = QStringLiteral("%1 %2: %3").arg(BusIdText(id), target->kindName(), answer->description);
    exchange.changedMemory = answer->changedMemory;
    if (!answer->reply.isEmpty())
        exchange.reply = BoardFrame(answer->reply);
    return exchange;
}

BusExchange RoomBus::serveModbus(const BusFrame &frame)
{
    BusExchange exchange;
    const quint8 id = quint8(frame.payload[0]);
    SimBoard *target = board(id);
    if (!target) {
        exchange.line = QStringLiteral("no board %1").arg(BusIdText(id));
        return exchange;
    }
    const std::optional<BoardAnswer> answer = target->modbus(frame.payload);
    if (!answer) {
        exchange.line = QStringLiteral("%1 %2: not understood").arg(BusIdText(id), target->kindName());
        return exchange;
    }
    exchange.line = QStringLiteral("%1 %2: %3").arg(BusIdText(id), target->kindName(), answer->description);
    exchange.changedMemory = answer->changedMemory;
    if (!answer->reply.isEmpty())
        exchange.reply = ModbusWireText(answer->reply);
    return exchange;
}

QJsonObject RoomBus::saveState() const
{
    QJsonObject boards = m_foreignState;
    for (const auto &b : m_boards)
        boards[BusIdText(b->busId())] = b->saveState();
    return boards;
}

void RoomBus::loadState(const QJsonObject &state)
{
    // Check every entry on a copy first: a bad file changes nothing.
    QJsonObject foreign = state;
    std::vector<std::pair<SimBoard *, QJsonObject>> entries;
    for (const auto &b : m_boards) {
        const QString key = BusIdText(b->busId());
        if (!state.contains(key))
            continue;
        if (!state.value(key).isObject())
            throw KvtError(QStringLiteral("board %1: the state entry is not an object").arg(key));
        entries.emplace_back(b.get(), state.value(key).toObject());
        foreign.remove(key);
    }
    std::vector<QJsonObject> before;
    for (const auto &entry : entries)
        before.push_back(entry.first->saveState());
    size_t loaded = 0;
    try {
        for (; loaded < entries.size(); ++loaded)
            entries[loaded].first->loadState(entries[loaded].second);
    } catch (...) {
        for (size_t i = 0; i < loaded; ++i)
            entries[i].first->loadState(before[i]);
        throw;
    }
    m_foreignState = foreign;
}
