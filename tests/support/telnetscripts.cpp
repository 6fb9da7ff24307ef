#include "telnetscripts.h"

#include "link/telnetcodec.h"

#include <QList>
#include <array>

namespace {

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

constexpr unsigned char kIac = 0xFF;
constexpr unsigned char kWill = 0xFB;
constexpr unsigned char kSb = 0xFA;
constexpr unsigned char kSe = 0xF0;

// Answers that may go out about one option: the replies to what the other end
// asked at connect, plus a few for every stray request of that option.
constexpr int kAnswersPerOption = 8;
constexpr int kAnswersPerStray = 4;
constexpr int kMaxRounds = 64;

// One end: its codec, the frames its link holds back, what it has read.
struct End
{
    explicit End(TelnetCodec::Role role) : codec(role) {}
    TelnetCodec codec;
    QList<QByteArray> held;
    QByteArray wrote;
    QByteArray read;
    std::array<int, 256> answers {};
    bool gotRequest = false;
};

// Counts the negotiations in an answer (subnegotiations skipped).
void CountAnswers(const QByteArray &answer, std::array<int, 256> &answers)
{
    for (int i = 0; i + 2 < answer.size(); ++i) {
        if (uchar(answer[i]) != kIac)
            continue;
        const uchar command = uchar(answer[i + 1]);
        if (command == kSb) {
            while (i + 1 < answer.size() && !(uchar(answer[i]) == kIac && uchar(answer[i + 1]) == kSe))
                ++i;
            continue;
        }
        if (command >= kWill)
            ++answers[uchar(answer[i + 2])];
        i += 2;
    }
}

struct Pair
{
    explicit Pair(bool farIsServer)
        : client(TelnetCodec::Role::Client),
          far(farIsServer ? TelnetCodec::Role::Server : TelnetCodec::Role::Client)
    {
        toClient = far.codec.start();
        toFar = client.codec.start();
    }

    End client;
    End far;
    QByteArray toClient; // bytes on the wire to the client, not yet read
    QByteArray toFar;
    std::array<int, 256> strays {};
    bool strayBinary = false;

    // The wire to `to` delivers up to n bytes; the answers join the way back.
    void deliver(End &to, int n)
    {
        QByteArray &wire = &to == &client ? toClient : toFar;
        QByteArray &back = &to == &client ? toFar : toClient;
        const QByteArray chunk = wire.left(n);
        wire.remove(0, chunk.size());
        const TelnetCodec::Decoded decoded = to.codec.decode(chunk);
        CountAnswers(decoded.answer, to.answers);
        back += decoded.answer;
        to.read += decoded.data;
        if (!decoded.data.isEmpty())
            to.gotRequest = true;
    }

    void write(End &from, const QByteArray &bytes)
    {
        (&from == &client ? toFar : toClient) += from.codec.encode(bytes);
        from.wrote += bytes;
    }

    // The links let held frames go when their rule allows it.
    void release()
    {
        const bool quiet = toClient.isEmpty() && toFar.isEmpty();
        if (quiet && client.codec.settled())
            while (!client.held.isEmpty())
                write(client, client.held.takeFirst());
        if (far.gotRequest)
            while (!far.held.isEmpty())
                write(far, far.held.takeFirst());
    }
};

} // namespace

QString CheckTelnetSplits(const QByteArray &input)
{
    if (input.isEmpty())
        return {};
    const TelnetCodec::Role role = input[0] & 1 ? TelnetCodec::Role::Server : TelnetCodec::Role::Client;
    const QByteArray wire = input.mid(1);

    auto decodeInChunks = [&](auto chunkSize) {
        TelnetCodec codec(role);
        codec.start();
        TelnetCodec::Decoded all;
        for (int at = 0, i = 0; at < wire.size(); ++i) {
            const int size = chunkSize(i);
            const TelnetCodec::Decoded part = codec.decode(wire.mid(at, size));
            all.data += part.data;
            all.answer += part.answer;
            at += size;
        }
        return all;
    };
    const TelnetCodec::Decoded whole = decodeInChunks([&](int) { return int(wire.size()); });
    const TelnetCodec::Decoded bytewise = decodeInChunks([](int) { return 1; });
    const TelnetCodec::Decoded chunked =
        decodeInChunks([&](int i) { return int(uchar(input[i % input.size()]) % 7) + 1; });
    for (const auto &[name, other] : {std::pair{"one byte at a time", &bytewise},
                                      std::pair{"in chunks", &chunked}}) {
        if (other->data != whole.data)
            return QStringLiteral("data %1: %2, whole: %3").arg(QLatin1String(name), Hex(other->data), Hex(whole.data));
        if (other->answer != whole.answer)
            return QStringLiteral("answers %1: %2, whole: %3")
                .arg(QLatin1String(name), Hex(other->answer), Hex(whole.answer));
    }
    return {};
}

QString CheckTelnetPair(const QByteArray &script)
{
    if (script.isEmpty())
        return {};
    Pair pair(script[0] & 1);
    for (int i = 1; i < script.size();) {
        const uchar op = uchar(script[i++]);
        const int n = (op >> 2) % 8 + 1;
        switch (op & 3) {
        case 0:
            pair.client.held.append(script.mid(i, n));
            i += n;
            break;
        case 1:
            pair.far.held.append(script.mid(i, n));
            i += n;
            break;
        case 2: {
            const QByteArray two = script.mid(i, 2).leftJustified(2, '\0');
            i += 2;
            const uchar command = uchar(kWill + uchar(two[0]) % 4);
            const uchar option = uchar(two[1]);
            const char bytes[3] = {char(kIac), char(command), char(option)};
            (op >> 2 & 1 ? pair.toClient : pair.toFar).append(bytes, 3);
            ++pair.strays[option];
            pair.strayBinary = pair.strayBinary || option == 0;
            break;
        }
        case 3:
            pair.deliver(op >> 2 & 1 ? pair.client : pair.far, (op >> 3) + 1);
            break;
        }
        pair.release();
    }
    for (int round = 0;; ++round) {
        if (pair.toClient.isEmpty() && pair.toFar.isEmpty()) {
            pair.release();
            if (pair.toClient.isEmpty() && pair.toFar.isEmpty())
                break;
        }
        if (round == kMaxRounds)
            return QStringLiteral("still answering after %1 rounds: to the client %2, to the far end %3")
                .arg(kMaxRounds).arg(Hex(pair.toClient.left(24)), Hex(pair.toFar.left(24)));
        pair.deliver(pair.client, int(pair.toClient.size()));
        pair.deliver(pair.far, int(pair.toFar.size()));
    }
    for (int option = 0; option < 256; ++option) {
        const int allowed = kAnswersPerOption + kAnswersPerStray * pair.strays[option];
        for (const auto &[name, end] : {std::pair{"client", &pair.client}, std::pair{"far end", &pair.far}})
            if (end->answers[option] > allowed)
                return QStringLiteral("the %1 answered about option %2 %3 times")
                    .arg(QLatin1String(name)).arg(option).arg(end->answers[option]);
    }
    if (!pair.client.held.isEmpty())
        return QStringLiteral("the client's link never let its frames go");
    if (!pair.strayBinary) {
        if (pair.far.read != pair.client.wrote)
            return QStringLiteral("the far end read %1 for %2").arg(Hex(pair.far.read), Hex(pair.client.wrote));
        if (pair.client.read != pair.far.wrote)
            return QStringLiteral("the client read %1 for %2").arg(Hex(pair.client.read), Hex(pair.far.wrote));
    }
    if (pair.client.codec.sendsBinary() != pair.far.codec.receivesBinary()
        || pair.far.codec.sendsBinary() != pair.client.codec.receivesBinary())
        return QStringLiteral("settled but disagreeing on BINARY: client sends %1 receives %2, far end sends %3 receives %4")
            .arg(pair.client.codec.sendsBinary()).arg(pair.client.codec.receivesBinary())
            .arg(pair.far.codec.sendsBinary()).arg(pair.far.codec.receivesBinary());
    if (pair.strayBinary) {
        // Bytes written while the two ends disagreed on BINARY may leave a
        // decoder holding a lone CR from the other mode (a NUL that follows is
        // then read as its partner): the first bytes after such a change are
        // not what this check is about, so one throwaway block goes each way.
        const QByteArray throwaway("settle");
        pair.far.codec.decode(pair.client.codec.encode(throwaway));
        pair.client.codec.decode(pair.far.codec.encode(throwaway));
    }
    QByteArray probe;
    for (int b = 0; b < 256; ++b)
        probe.append(char(b));
    probe += QByteArray::fromHex("0D000D0AFFFF0D0D");
    const QByteArray atFar = pair.far.codec.decode(pair.client.codec.encode(probe)).data;
    if (atFar != probe)
        return QStringLiteral("after settling the far end read %1").arg(Hex(atFar));
    const QByteArray atClient = pair.client.codec.decode(pair.far.codec.encode(probe)).data;
    if (atClient != probe)
        return QStringLiteral("after settling the client read %1").arg(Hex(atClient));
    return {};
}
