// kvt-roomsim: a room's board bus for kvt to talk to, without a room.
//
//   kvt-roomsim --listen 127.0.0.1:4444
//       the demo room as a Telnet gateway; point kvt's TCP setup at it
//   socat pty,raw,echo=0,link=/tmp/roomA pty,raw,echo=0,link=/tmp/roomB &
//   kvt-roomsim --serial /tmp/roomA --state room.json --view
//       the room on one end of a pty pair; kvt (ports/COMn -> /tmp/roomB) or
//       a gateway such as ser2net on the other
//
// Every frame served prints one line: what came, what the board made of it,
// what went back. --help lists the boards and fault options.
#include "protocol/kvterror.h"
#include "roomsim/roombus.h"
#include "roomsim/roomconfig.h"
#include "roomsim/roomserver.h"
#include "roomsim/roomstatefile.h"
#include "roomsim/roomview.h"
#include "roomsim/serialroomline.h"
#include "roomsim/telnetroomline.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void Print(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString BoardList(const RoomBus &bus)
{
    QStringList items;
    for (const auto &b : bus.boards())
        items.append(BusIdText(b->busId()) + QLatin1Char(' ') + b->kindName());
    return items.isEmpty() ? QStringLiteral("no boards") : items.join(QStringLiteral(", "));
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(RoomUsage().toUtf8().constData(), stdout);
        return 0;
    }
    RoomConfig config;
    try {
        config = ParseRoomConfig(args);
    } catch (const KvtError &e) {
        std::fprintf(stderr, "kvt-roomsim: %s\n", e.text().toUtf8().constData());
        return 2;
    }

    if (config.view && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "kvt-roomsim: --view needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set\n");
        return 2;
    }
    std::unique_ptr<QCoreApplication> app;
    if (config.view)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    RoomBus bus(config.boards);
    std::unique_ptr<RoomStateFile> state;
    std::unique_ptr<RoomLine> line;
    try {
        if (!config.statePath.isEmpty()) {
            state = std::make_unique<RoomStateFile>(config.statePath);
            state->load(bus);
        }
        if (!config.serialPath.isEmpty())
            line = std::make_unique<SerialRoomLine>(config.serialPath);
        else
            line = std::make_unique<TelnetRoomLine>(config.listenHost, config.listenPort);
        line->start();
    } catch (const KvtError &e) {
        std::fprintf(stderr, "kvt-roomsim: %s\n", e.text().toUtf8().constData());
        return 1;
    }

    RoomServer server(config, bus, *line, state.get(), Print);

    // SIGINT and SIGTERM end the event loop, so the state is saved once more.
    if (::pipe(g_signalPipe) == 0) {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }
    QSocketNotifier stop(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, app.get(), &QCoreApplication::quit);

    std::unique_ptr<RoomView> view;
    if (config.view) {
        view = std::make_unique<RoomView>(bus);
        view->show();
    }

    Print(QStringLiteral("kvt-roomsim: %1; %2 on %3")
              .arg(BoardList(bus), config.serialPath.isEmpty() ? QStringLiteral("listening") : QStringLiteral("serving"),
                   line->where()));
    const int code = app->exec();
    view.reset();
    if (state) {
        try {
            state->save(bus);
        } catch (const KvtError &e) {
            std::fprintf(stderr, "kvt-roomsim: %s\n", e.text().toUtf8().constData());
            return 1;
        }
    }
    Print(QStringLiteral("kvt-roomsim: stopped after %1 frames").arg(server.framesServed()));
    return code;
}
