#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The room as given on the command line.
struct BoardEntry
{
    enum class Kind { Light, SixKey, MainDimmer, SixCircuitDimmer, Media };
    quint8 busId;
    Kind kind;
};

struct RoomConfig
{
    std::vector<BoardEntry> boards;
    QString serialPath;   // --serial PATH
    QString listenHost;   // --listen HOST:PORT
    int listenPort = -1;  // 0: any free port (printed at start)
    bool fast = false;    // no line pacing
    int turnaroundMs = 10;
    int delayMs = 0;      // extra delay before every answer
    double dropRate = 0;  // share of answers not sent
    double corruptRate = 0; // share of answer bytes altered
    int closeAfter = 0;   // close the connection once after this many frames (0: never)
    quint32 seed = 1;
    QString statePath;
    bool view = false;
    bool quiet = false;   // no line per frame
};

// The demo room: light boards 01, 02, 03, F1, the main dimmer F3, six-key
// boards 11, 12, the six-circuit dimmer at machine number 5, the media board F8.
extern const char kDemoBoards[];

// Reads the arguments (without the program name). Raises KvtError with a
// message for the user on anything it cannot use.
RoomConfig ParseRoomConfig(const QStringList &arguments);
QString RoomUsage();
QString BoardKindName(BoardEntry::Kind kind);
