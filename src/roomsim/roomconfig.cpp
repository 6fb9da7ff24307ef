#include "roomsim/roomconfig.h"

#include "protocol/boardtable.h"
#include "protocol/kvterror.h"

#include <map>

const char kDemoBoards[] = "01,02,03,F1,F3,11,12";

namespace {

QString IdText(int id)
{
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

int ParseId(const QString &text, const QString &option)
{
    bool ok = false;
    const int id = text.trimmed().toInt(&ok, 16);
    if (!ok || text.trimmed().size() > 2 || id < 1 || id > 0xFF)
        throw KvtError(QStringLiteral("%1: '%2' is not a bus id (two hex digits, 01 to FF)").arg(option, text));
    return id;
}

BoardEntry::Kind KindOfBoardId(int id)
{
    const int slot = FindSlotById(id);
    if (slot < 0)
        throw KvtError(QStringLiteral("--boards: no board of the room has bus id %1 "
                                      "(light boards 01-06, F1, F2; six-key boards 11-19, 20; main dimmer F3)")
                           .arg(IdText(id)));
    switch (SlotInfo(slot).kind) {
    case BoardKind::LightBoard:
        return BoardEntry::Kind::Light;
    case BoardKind::SixKeyBoard:
        return BoardEntry::Kind::SixKey;
    case BoardKind::MainDimmerBoard:
        return BoardEntry::Kind::MainDimmer;
    }
    return BoardEntry::Kind::Light;
}

QString TakeValue(const QStringList &args, int *i, const QString &option)
{
    const QString arg = args[*i];
    const int eq = arg.indexOf(QLatin1Char('='));
    if (eq >= 0)
        return arg.mid(eq + 1);
    if (*i + 1 >= args.size())
        throw KvtError(QStringLiteral("%1 needs a value").arg(option));
    return args[++*i];
}

double ParseRate(const QString &text, const QString &option)
{
    bool ok = false;
    QString t = text.trimmed();
    const bool percent = t.endsWith(QLatin1Char('%'));
    if (percent)
        t.chop(1);
    double v = t.toDouble(&ok);
    if (percent)
        v /= 100;
    if (!ok || v < 0 || v > 1)
        throw KvtError(QStringLiteral("%1: '%2' is not a rate (0 to 1, or 0% to 100%)").arg(option, text));
    return v;
}

int ParseCount(const QString &text, const QString &option, int max)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 0 || v > max)
        throw KvtError(QStringLiteral("%1: '%2' is not a number from 0 to %3").arg(option, text).arg(max));
    return v;
}

} // namespace

QString BoardKindName(BoardEntry::Kind kind)
{
    switch (kind) {
    case BoardEntry::Kind::Light:
        return QStringLiteral("light board");
    case BoardEntry::Kind::SixKey:
        return QStringLiteral("six-key board");
    case BoardEntry::Kind::MainDimmer:
        return QStringLiteral("main dimmer board");
    case BoardEntry::Kind::SixCircuitDimmer:
        return QStringLiteral("six-circuit dimmer");
    case BoardEntry::Kind::Media:
        return QStringLiteral("media board");
    }
    return QString();
}

QString RoomUsage()
{
    return QStringLiteral(
        "kvt-roomsim: a room's board bus for kvt to talk to\n"
        "  --serial PATH          serve on a serial device or pty\n"
        "  --listen HOST:PORT     serve as a Telnet gateway (PORT 0: any free port)\n"
        "  --boards LIST          bus ids of the boards, default %1 (empty: none)\n"
        "  --dimmer6 ID|none      machine number of the six-circuit dimmer, default 05\n"
        "  --media ID|none        Modbus id of the media board, default F8\n"
        "  --state FILE           load the boards' memories from FILE, save them there\n"
        "  --fast                 answer at once, no 9600 bit/s line pacing\n"
        "  --turnaround MS        delay before an answer, default 10\n"
        "  --delay-ms MS          extra delay before every answer\n"
        "  --drop-rate R          share of answers not sent (0..1 or N%)\n"
        "  --corrupt-rate R       share of answer bytes altered (0..1 or N%)\n"
        "  --close-after N        close the connection once, at the Nth frame, which is\n"
        "                         not answered (a serial device is closed and reopened)\n"
        "  --seed N               seed of the fault dice, default 1\n"
        "  --view                 show the outputs and levels in a window\n"
        "  --quiet                no line per frame\n")
        .arg(QString::fromLatin1(kDemoBoards));
}

RoomConfig ParseRoomConfig(const QStringList &args)
{
    RoomConfig config;
    QString boards = QString::fromLatin1(kDemoBoards);
    QString dimmer = QStringLiteral("05");
    QString media = QStringLiteral("F8");
    for (int i = 0; i < args.size(); ++i) {
        const QString option = args[i].section(QLatin1Char('='), 0, 0);
        if (option == QLatin1String("--boards"))
            boards = TakeValue(args, &i, option);
        else if (option == QLatin1String("--dimmer6"))
            dimmer = TakeValue(args, &i, option);
        else if (option == QLatin1String("--media"))
            media = TakeValue(args, &i, option);
        else if (option == QLatin1String("--serial"))
            config.serialPath = TakeValue(args, &i, option);
        else if (option == QLatin1String("--listen")) {
            const QString value = TakeValue(args, &i, option);
            const int colon = value.lastIndexOf(QLatin1Char(':'));
            config.listenHost = value.left(colon);
            config.listenPort = colon < 1 ? -1 : ParseCount(value.mid(colon + 1), option, 65535);
            if (colon < 1)
                throw KvtError(QStringLiteral("--listen: '%1' is not HOST:PORT").arg(value));
        } else if (option == QLatin1String("--state"))
            config.statePath = TakeValue(args, &i, option);
        else if (option == QLatin1String("--fast"))
            config.fast = true;
        else if (option == QLatin1String("--view"))
            config.view = true;
        else if (option == QLatin1String("--quiet"))
            config.quiet = true;
        else if (option == QLatin1String("--turnaround"))
            config.turnaroundMs = ParseCount(TakeValue(args, &i, option), option, 60000);
        else if (option == QLatin1String("--delay-ms"))
            config.delayMs = ParseCount(TakeValue(args, &i, option), option, 60000);
        else if (option == QLatin1String("--drop-rate"))
            config.dropRate = ParseRate(TakeValue(args, &i, option), option);
        else if (option == QLatin1String("--corrupt-rate"))
            config.corruptRate = ParseRate(TakeValue(args, &i, option), option);
        else if (option == QLatin1String("--close-after"))
            config.closeAfter = ParseCount(TakeValue(args, &i, option), option, 1000000000);
        else if (option == QLatin1String("--seed"))
            config.seed = quint32(ParseCount(TakeValue(args, &i, option), option, 2147483647));
        else
            throw KvtError(QStringLiteral("unknown option '%1'\n%2").arg(args[i], RoomUsage()));
    }
    if (config.serialPath.isEmpty() == (config.listenPort < 0))
        throw KvtError(QStringLiteral("give either --serial PATH or --listen HOST:PORT\n%1").arg(RoomUsage()));

    std::map<int, BoardEntry::Kind> taken;
    auto add = [&](int id, BoardEntry::Kind kind) {
        const auto found = taken.find(id);
        if (found != taken.end()) {
            if (found->second == kind)
                throw KvtError(QStringLiteral("bus id %1 is given twice").arg(IdText(id)));
            throw KvtError(QStringLiteral("bus id %1 is given to both the %2 and the %3; "
                                          "two boards cannot share one id")
                               .arg(IdText(id), BoardKindName(found->second), BoardKindName(kind)));
        }
        taken[id] = kind;
        config.boards.push_back({quint8(id), kind});
    };
    for (const QString &item : boards.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int id = ParseId(item, QStringLiteral("--boards"));
        add(id, KindOfBoardId(id));
    }
    if (dimmer.trimmed() != QLatin1String("none"))
        add(ParseId(dimmer, QStringLiteral("--dimmer6")), BoardEntry::Kind::SixCircuitDimmer);
    if (media.trimmed() != QLatin1String("none"))
        add(ParseId(media, QStringLiteral("--media")), BoardEntry::Kind::Media);
    return config;
}
