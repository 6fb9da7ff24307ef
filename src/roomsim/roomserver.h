#pragma once

#include "roomsim/faultinjector.h"
#include "roomsim/pacedwriter.h"
#include "roomsim/roombus.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class RoomLine;
class RoomStateFile;

// Runs the room on a line: bytes from the tool go to the bus, the boards'
// answers go back after the turnaround, paced like the real bus, with the
// faults asked for. One console line per frame served.
class RoomServer : public QObject
{
    Q_OBJECT
public:
    // A line of the room's console.
    using Console = std::function<void(const QString &)>;

    RoomServer(const RoomConfig &config, RoomBus &bus, RoomLine &line, const RoomStateFile *state,
               Console console, QObject *parent = nullptr);

    // Quiet time after which a half-received frame is given up.
    static constexpr int kQuietMs = 50;

    int framesServed() const { return m_served; }

private:
    void onReceived(const QByteArray &bytes);
    void serve(const std::vector<BusExchange> &exchanges);
    void saveState();

    const RoomConfig &m_config;
    RoomBus &m_bus;
    RoomLine &m_line;
    const RoomStateFile *m_state;
    Console m_console;
    FaultInjector m_faults;
    PacedWriter m_writer;
    QTimer m_quiet;
    int m_served = 0;
    bool m_closedOnce = false;
};
