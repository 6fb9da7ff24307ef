#include "roomsim/roomserver.h"

#include "protocol/kvterror.h"
#include "roomsim/roomline.h"
#include "roomsim/roomstatefile.h"

RoomServer::RoomServer(const RoomConfig &config, RoomBus &bus, RoomLine &line, const RoomStateFile *state,
                       Console console, QObject *parent)
    : QObject(parent),
      m_config(config),
      m_bus(bus),
      m_line(line),
      m_state(state),
      m_console(std::move(console)),
      m_faults(config.dropRate, config.corruptRate, config.seed),
      m_writer([&line](const QByteArray &bytes) { line.write(bytes); }, !config.fast)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { serve(m_bus.flush()); });
    connect(&m_line, &RoomLine::received, this, &RoomServer::onReceived);
    connect(&m_line, &RoomLine::notice, this, [this](const QString &text) { m_console(text); });
    connect(&m_line, &RoomLine::connectionLost, this, [this] {
        m_writer.clear();
        m_bus.clearPending();
    });
}

void RoomServer::onReceived(const QByteArray &bytes)
{
    serve(m_bus.feed(bytes));
    if (m_bus.hasPending())
        m_quiet.start();
    else
        m_quiet.stop();
}

void RoomServer::serve(const std::vector<BusExchange> &exchanges)
{
    bool changed = false;
    for (const BusExchange &exchange : exchanges) {
        ++m_served;
        changed = changed || exchange.changedMemory;
        if (m_config.closeAfter > 0 && !m_closedOnce && m_served == m_config.closeAfter) {
            m_closedOnce = true;
            m_console(exchange.line + QStringLiteral(" (not sent: connection closed on demand)"));
            m_line.dropConnection();
            break;
        }
        const FaultInjector::Outcome outcome = m_faults.apply(exchange.reply);
        QString line = exchange.line;
        if (outcome.dropped)
            line += QStringLiteral(" (dropped on demand)");
        else if (outcome.corrupted > 0)
            line += QStringLiteral(" (%1 bytes corrupted on demand)").arg(outcome.corrupted);
        if (!m_config.quiet)
            m_console(line);
        m_writer.send(outcome.bytes, m_config.turnaroundMs + m_config.delayMs);
    }
    if (changed)
        saveState();
}

void RoomServer::saveState()
{
    if (!m_state)
        return;
    try {
        m_state->save(m_bus);
    } catch (const KvtError &e) {
        // The room goes on; the technician sees why the file lags behind.
        m_console(e.text());
    }
}
