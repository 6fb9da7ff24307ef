#include "link/telnetcodec.h"

#include <QtGlobal>
#include <libtelnet.h>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Options each role accepts: us = what we agree to do, him = what we let the
// peer do. Options not listed are refused (WONT / DONT).
const telnet_telopt_t kClientOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

const telnet_telopt_t kServerOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};

} // namespace

TelnetCodec::TelnetCodec(Role role) : m_role(role)
{
    reset();
}

TelnetCodec::~TelnetCodec()
{
    if (m_telnet)
        telnet_free(m_telnet);
}

void TelnetCodec::reset()
{
    if (m_telnet)
        telnet_free(m_telnet);
    const telnet_telopt_t *options = m_role == Role::Client ? kClientOptions : kServerOptions;
    m_telnet = telnet_init(options, &TelnetCodec::onEvent, 0, this);
    m_sendBinary = false;
    m_receiveBinary = false;
    m_crPending = false;
}

QByteArray TelnetCodec::start()
{
    QByteArray out;
    if (m_role != Role::Server)
        return out;
    m_out = &out;
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_SGA);
    m_out = nullptr;
    return out;
}

QByteArray TelnetCodec::encode(const QByteArray &data)
{
    QByteArray plain;
    if (m_sendBinary) {
        plain = data;
    } else {
        plain.reserve(data.size() + 8);
        for (int i = 0; i < data.size(); ++i) {
            plain.append(data[i]);
            const bool lfFollows = i + 1 < data.size() && data[i + 1] == kLf;
            if (data[i] == kCr && !lfFollows)
                plain.append('\0');
        }
    }
    QByteArray out;
    out.reserve(plain.size() + 8);
    m_out = &out;
    telnet_send(m_telnet, plain.constData(), size_t(plain.size()));
    m_out = nullptr;
    return out;
}

TelnetCodec::Decoded TelnetCodec::decode(const QByteArray &wire)
{
    Decoded result;
    m_out = &result.answer;
    m_data = &result.data;
    telnet_recv(m_telnet, wire.constData(), size_t(wire.size()));
    m_out = nullptr;
    m_data = nullptr;
    return result;
}

void TelnetCodec::onEvent(telnet_t *, telnet_event_t *event, void *self)
{
    static_cast<TelnetCodec *>(self)->handleEvent(event);
}

void TelnetCodec::appendData(const char *bytes, size_t size)
{
    if (!m_data)
        return;
    if (m_receiveBinary) {
        m_data->append(bytes, qsizetype(size));
        m_crPending = false;
        return;
    }
    for (size_t i = 0; i < size; ++i) {
        const char b = bytes[i];
        if (m_crPending && b == '\0') {
            m_crPending = false;
            continue;
        }
        m_data->append(b);
        m_crPending = b == kCr;
    }
}

void TelnetCodec::handleEvent(telnet_event_t *event)
{
    switch (event->type) {
    case TELNET_EV_DATA:
        appendData(event->data.buffer, event->data.size);
        break;
    case TELNET_EV_SEND:
        if (m_out)
            m_out->append(event->data.buffer, qsizetype(event->data.size));
        break;
    case TELNET_EV_WILL:
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_receiveBinary = true;
        break;
    case TELNET_EV_WONT:
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_receiveBinary = false;
        break;
    case TELNET_EV_DO:
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_sendBinary = true;
        break;
    case TELNET_EV_DONT:
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_sendBinary = false;
        break;
    case TELNET_EV_TTYPE:
        if (m_role == Role::Client && event->ttype.cmd == TELNET_TTYPE_SEND)
            telnet_ttype_is(m_telnet, kTerminalType);
        break;
    case TELNET_EV_WARNING:
    case TELNET_EV_ERROR:
        // A malformed sequence from the peer: libtelnet drops it and goes on
        // with plain data; the link keeps running.
        qWarning("Telnet: %s", event->error.msg);
        break;
    default:
        break;
    }
}
