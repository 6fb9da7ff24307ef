#pragma once

#include <QByteArray>

#include <array>
#include <bitset>
#include <libtelnet.h>

// The Telnet layer of a TCP link (RFC 854; options 856, 857, 858, 1091), for
// either end of the connection. On top of libtelnet, which keeps the option
// states (RFC 1143) and escapes what we send, this class reads the wire and
// keeps the NVT line-end rule and the BINARY bookkeeping:
//
//   outgoing  FF -> FF FF; a CR not followed by LF in the same block -> CR NUL,
//             unless we send in BINARY (the peer said DO BINARY)
//   incoming  FF FF -> FF; FF + command byte removed; CR NUL -> CR, unless the
//             peer sends in BINARY (it said WILL BINARY and we agreed)
//
// The wire is read one byte at a time by our own reader, so what a block gives
// never depends on where a read ended: the same bytes in any split give the
// same data and the same answers. libtelnet gets only whole negotiations
// (IAC WILL/WONT/DO/DONT option); its own reader would switch to COMPRESS2
// decompression on a start marker nobody agreed to and turn the tail of an
// overlong subnegotiation into data. Subnegotiations are ours: only a
// terminal-type request (after DO TERMINAL-TYPE) is answered, every other one
// (COMPRESS2 included: that option is never agreed) is read and ignored. A
// subnegotiation cut short by IAC and a command ends there, unanswered, and
// the command counts; one longer than kMaxSubnegotiation keeps only its start.
//
// BINARY is kept per direction as RFC 856 defines it; a peer that negotiates
// both directions (the usual gateway) gets plain 8-bit data both ways.
//
// Client answers: WILL BINARY/ECHO/SUPPRESS-GO-AHEAD -> DO; DO BINARY -> WILL;
// DO TERMINAL-TYPE -> WILL and "vt100" on request; any other WILL -> DONT, any
// other DO (DO SUPPRESS-GO-AHEAD too) -> WONT. The client never starts a
// negotiation. The server role offers WILL BINARY, DO BINARY and WILL
// SUPPRESS-GO-AHEAD at start() and accepts the same options back.
//
// RFC 1143 keeps two ends from answering each other's answers, but a stray
// request on the wire puts them a step out of phase for good: each then reads
// the other's answers as new requests and an option flips off and on without
// end. So an option the peer has switched on kMaxSwitchOns times is refused
// from then on (until reset()), which ends any such exchange.
class TelnetCodec
{
public:
    enum class Role { Client, Server };

    // What one block from the wire gives: the data for the program and the
    // negotiation answers that must go back to the peer.
    struct Decoded
    {
        QByteArray data;
        QByteArray answer;
        bool negotiated = false; // the block held an option negotiation
    };

    explicit TelnetCodec(Role role = Role::Client);
    ~TelnetCodec();
    TelnetCodec(const TelnetCodec &) = delete;
    TelnetCodec &operator=(const TelnetCodec &) = delete;

    // Bytes the opening side sends at connect: the server's offers; nothing for
    // a client.
    QByteArray start();
    // Wire bytes for one block of data.
    QByteArray encode(const QByteArray &data);
    // Decodes one block from the wire (any split; state is kept between blocks).
    Decoded decode(const QByteArray &wire);
    // Forgets all negotiated state (a new connection).
    void reset();

    bool sendsBinary() const { return m_sendBinary; }
    bool receivesBinary() const { return m_receiveBinary; }
    // No request of ours waits for the peer's answer (a client, which never
    // asks, is always settled).
    bool settled() const { return m_awaitingUs.none() && m_awaitingHim.none(); }
    Role role() const { return m_role; }

    static constexpr const char *kTerminalType = "vt100";
    static constexpr int kMaxSwitchOns = 3;
    static constexpr int kMaxSubnegotiation = 512;

private:
    enum class ReadState { Data, Command, Option, SubOption, SubData, SubCommand };

    static void onEvent(telnet_t *telnet, telnet_event_t *event, void *self);
    void handleEvent(telnet_event_t *event);
    void readByte(unsigned char byte, Decoded &out);
    void negotiate(unsigned char command, unsigned char option);
    void endSubnegotiation();
    void appendData(char byte);
    void countSwitchOn(unsigned char option, bool ours);
    void request(unsigned char command, unsigned char option);

    Role m_role;
    telnet_t *m_telnet = nullptr;
    // The options we accept, as libtelnet reads them at every request; an
    // entry is turned to a refusal once the peer has switched it on too often.
    std::array<telnet_telopt_t, 5> m_options {};
    std::array<unsigned char, 256> m_switchOnsUs {};
    std::array<unsigned char, 256> m_switchOnsHim {};
    std::bitset<256> m_awaitingUs; // our WILL sent, no DO/DONT back yet
    std::bitset<256> m_awaitingHim; // our DO sent, no WILL/WONT back yet
    bool m_terminalTypeAgreed = false;

    // Data direction peer -> us. m_receiveBinary turns on where the peer's
    // WILL BINARY stands in the stream (we answer DO at once), but a peer that
    // offered WILL itself sends binary only once our DO has reached it: data it
    // sent in between are NVT and keep a NUL after a lone CR here. Nothing of
    // ours can mend that afterwards, so the link writes no frame until the
    // options have settled: a board answers only a request, and a request sent
    // after our DO can only be answered after the gateway has read the DO.
    bool m_receiveBinary = false;
    bool m_sendBinary = false;
    bool m_crPending = false; // the last data byte received was a CR

    ReadState m_state = ReadState::Data;
    unsigned char m_command = 0; // WILL/WONT/DO/DONT awaiting its option byte
    unsigned char m_subOption = 0;
    QByteArray m_sub; // the subnegotiation read so far (at most kMaxSubnegotiation)

    QByteArray *m_out = nullptr; // where libtelnet's output goes right now
    QByteArray *m_data = nullptr; // where decoded data goes right now
};
