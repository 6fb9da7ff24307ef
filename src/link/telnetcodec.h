#pragma once

#include <QByteArray>

struct telnet_t;
union telnet_event_t;

// The Telnet layer of a TCP link (RFC 854; options 856, 857, 858, 1091), for
// either end of the connection. libtelnet does the IAC escaping, the command
// parsing and the option negotiation (RFC 1143: no answer that would start a
// negotiation loop). On top of it this class keeps the NVT line-end rule and
// the BINARY bookkeeping:
//
//   outgoing  FF -> FF FF; a CR not followed by LF in the same block -> CR NUL,
//             unless we send in BINARY (the peer said DO BINARY)
//   incoming  FF FF -> FF; FF + command byte removed; CR NUL -> CR, unless the
//             peer sends in BINARY (it said WILL BINARY and we agreed)
//
// BINARY is kept per direction as RFC 856 defines it; a peer that negotiates
// both directions (the usual gateway) gets plain 8-bit data both ways.
//
// Client answers: WILL BINARY/ECHO/SUPPRESS-GO-AHEAD -> DO; DO BINARY -> WILL;
// DO TERMINAL-TYPE -> WILL and "vt100" on request; any other WILL -> DONT, any
// other DO (DO SUPPRESS-GO-AHEAD too) -> WONT. The client never starts a
// negotiation. The server role offers WILL BINARY, DO BINARY and WILL
// SUPPRESS-GO-AHEAD at start() and accepts the same options back.
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
    Role role() const { return m_role; }

    static constexpr const char *kTerminalType = "vt100";

private:
    static void onEvent(telnet_t *telnet, telnet_event_t *event, void *self);
    void handleEvent(telnet_event_t *event);
    void appendData(const char *bytes, size_t size);

    Role m_role;
    telnet_t *m_telnet = nullptr;
    bool m_sendBinary = false;
    bool m_receiveBinary = false;
    bool m_crPending = false; // the last data byte received was a CR
    QByteArray *m_out = nullptr; // where libtelnet's output goes right now
    QByteArray *m_data = nullptr; // where decoded data goes right now
};
