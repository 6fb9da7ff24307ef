// The Telnet codec under arbitrary bytes. Byte 0, bit 1 picks the check:
//   clear: the rest as one codec's wire (CheckTelnetSplits): the same data and
//          answers however the reads are split;
//   set:   the rest as a script of two ends back to back (CheckTelnetPair): no
//          endless answering, each end reads what the other wrote, and once
//          quiet decode(encode(x)) == x both ways.
// Either way the input is also sent as data between two ends that agreed on
// nothing (NVT) and two that agreed on BINARY: decode(encode(x)) == x.
#include "link/telnetcodec.h"
#include "telnetscripts.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const QString &what, const QByteArray &input)
{
    std::fprintf(stderr, "finding: %s\ninput: %s\n", qPrintable(what), input.toHex(' ').constData());
    std::abort();
}

void Quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

void CheckRoundTrip(TelnetCodec &from, TelnetCodec &to, const QByteArray &data, const char *how)
{
    // Two blocks, cut where the input says, the decode one byte at a time.
    const int cut = data.isEmpty() ? 0 : uchar(data[0]) % (data.size() + 1);
    QByteArray wire = from.encode(data.left(cut));
    wire += from.encode(data.mid(cut));
    QByteArray got;
    for (const char byte : wire)
        got += to.decode(QByteArray(1, byte)).data;
    if (got != data)
        Fail(QStringLiteral("%1: decode(encode(x)) gave %2").arg(QLatin1String(how), QString::fromLatin1(got.toHex(' '))),
             data);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(Quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(bytes), qsizetype(size));
    if (input.isEmpty())
        return 0;
    const bool pair = input[0] & 2;
    const QString failure = pair ? CheckTelnetPair(input) : CheckTelnetSplits(input);
    if (!failure.isEmpty())
        Fail(failure, input);

    {
        TelnetCodec a;
        TelnetCodec b;
        CheckRoundTrip(a, b, input, "NVT");
    }
    {
        TelnetCodec client(TelnetCodec::Role::Client);
        TelnetCodec server(TelnetCodec::Role::Server);
        QByteArray toClient = server.start();
        for (int round = 0; round < 8 && !toClient.isEmpty(); ++round)
            toClient = server.decode(client.decode(toClient).answer).answer;
        if (!client.sendsBinary() || !client.receivesBinary())
            Fail(QStringLiteral("a client and a server did not agree on BINARY"), input);
        CheckRoundTrip(client, server, input, "BINARY client to server");
        CheckRoundTrip(server, client, input, "BINARY server to client");
    }
    return 0;
}
