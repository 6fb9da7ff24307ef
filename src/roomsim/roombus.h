#pragma once

#include "roomsim/busparser.h"
#include "roomsim/roomconfig.h"
#include "roomsim/simboard.h"

#include <QJsonObject>
#include <memory>
#include <vector>

// One frame served: what came, what the room sends back (framed, ready for the
// line; empty when nobody answers) and the line the console prints.
struct BusExchange
{
    BusFrame request;
    QByteArray reply;
    QString line;
    bool changedMemory = false;
};

// The boards of a room on one bus. Bytes from the line go in; the answers of
// the addressed boards come out. No I/O and no clock here.
class RoomBus
{
public:
    explicit RoomBus(const std::vector<BoardEntry> &boards);

    std::vector<BusExchange> feed(const QByteArray &bytes);
    // The line went quiet (see BusParser::flush).
    std::vector<BusExchange> flush();
    bool hasPending() const { return !m_parser.pending().isEmpty(); }
    void clearPending() { m_parser.clear(); }

    SimBoard *board(quint8 busId) const;
    const std::vector<std::unique_ptr<SimBoard>> &boards() const { return m_boards; }

    // All board memories as one JSON object, keyed by bus id ("01", "F3").
    // Entries of boards this room does not have are kept as they were loaded.
    QJsonObject saveState() const;
    // Raises KvtError, and changes no board, when an entry does not fit.
    void loadState(const QJsonObject &state);

private:
    BusExchange serve(const BusFrame &frame);
    BusExchange serveBoardFrame(const BusFrame &frame);
    BusExchange serveModbus(const BusFrame &frame);
    std::vector<BusExchange> serveAll(const std::vector<BusFrame> &frames);

    BusParser m_parser;
    std::vector<std::unique_ptr<SimBoard>> m_boards;
    QJsonObject m_foreignState;
};

QString BusIdText(quint8 busId);
