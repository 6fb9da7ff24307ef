#include "protocol/kvterror.h"
#include "roomsim/roomconfig.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        const RoomConfig config = ParseRoomConfig(app.arguments().mid(1));
        Q_UNUSED(config);
    } catch (const KvtError &e) {
        std::fprintf(stderr, "kvt-roomsim: %s\n", qPrintable(e.text()));
        return 2;
    }
    return 0;
}
