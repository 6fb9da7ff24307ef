#include "link/telnetcodec.h"

#include <QtGlobal>
#include <utility>

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
    m_options.fill({-1, 0, 0});
    for (size_t i = 0; i < m_options.size() && options[i].telopt != -1; ++i)
        m_options[i] = options[i];
    m_telnet = telnet_init(m_options.data(), &TelnetCodec::onEvent, 0, this);
    m_switchOnsUs.fill(0);
    m_switchOnsHim.fill(0);
    m_awaitingUs.reset();
    m_awaitingHim.reset();
    m_terminalTypeAgreed = false;
    m_sendBinary = false;
    m_receiveBinary = false;
    m_crPending = false;
    m_state = ReadState::Data;
    m_command = 0;
    m_subOption = 0;
    m_sub.clear();
}

QByteArray TelnetCodec::start()
{
    QByteArray out;
    if (m_role != Role::Server)
        return out;
    m_out = &out;
    request(TELNET_WILL, TELNET_TELOPT_BINARY);
    request(TELNET_DO, TELNET_TELOPT_BINARY);
    request(TELNET_WILL, TELNET_TELOPT_SGA);
    m_out = nullptr;
    return out;
}

void TelnetCodec::request(unsigned char command, unsigned char option)
{
    const QByteArray *out = m_out;
    const qsizetype before = out ? out->size() : 0;
    telnet_negotiate(m_telnet, command, option);
    // libtelnet sends only what changes an option's state; only that awaits
    // an answer.
    if (!out || out->size() == before)
        return;
    if (command == TELNET_WILL || command == TELNET_WONT)
        m_awaitingUs.set(option);
    else
        m_awaitingHim.set(option);
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
    result.data.reserve(wire.size());
    m_out = &result.answer;
    m_data = &result.data;
    for (const char byte : wire)
        readByte(static_cast<unsigned char>(byte), result);
    m_out = nullptr;
    m_data = nullptr;
    return result;
}

// One wire byte. States: Data (plain bytes), Command (after IAC), Option
// (after IAC WILL/WONT/DO/DONT), SubOption (after IAC SB), SubData (inside a
// subnegotiation), SubCommand (after IAC inside a subnegotiation).
void TelnetCodec::readByte(unsigned char byte, Decoded &out)
{
    switch (m_state) {
    case ReadState::Data:
        if (byte == TELNET_IAC)
            m_state = ReadState::Command;
        else
            appendData(char(byte));
        return;
    case ReadState::Command:
        switch (byte) {
        case TELNET_IAC:
            appendData(char(byte));
            m_state = ReadState::Data;
            return;
        case TELNET_WILL:
        case TELNET_WONT:
        case TELNET_DO:
        case TELNET_DONT:
            m_command = byte;
            m_state = ReadState::Option;
            return;
        case TELNET_SB:
            m_state = ReadState::SubOption;
            return;
        default: // NOP, GA, BREAK and the rest: nothing for a serial gateway
            m_state = ReadState::Data;
            return;
        }
    case ReadState::Option:
        m_state = ReadState::Data;
        out.negotiated = true;
        negotiate(m_command, byte);
        return;
    case ReadState::SubOption:
        m_subOption = byte;
        m_sub.clear();
        m_state = ReadState::SubData;
        return;
    case ReadState::SubData:
        if (byte == TELNET_IAC)
            m_state = ReadState::SubCommand;
        else if (m_sub.size() < kMaxSubnegotiation)
            m_sub.append(char(byte));
        return;
    case ReadState::SubCommand:
        if (byte == TELNET_SE) {
            m_state = ReadState::Data;
            endSubnegotiation();
        } else if (byte == TELNET_IAC) {
            if (m_sub.size() < kMaxSubnegotiation)
                m_sub.append(char(byte));
            m_state = ReadState::SubData;
        } else {
            // Not closed by IAC SE: the subnegotiation is dropped and the
            // byte is read as the command after an IAC.
            m_sub.clear();
            m_state = ReadState::Command;
            readByte(byte, out);
        }
        return;
    }
}

void TelnetCodec::negotiate(unsigned char command, unsigned char option)
{
    if (command == TELNET_WILL || command == TELNET_WONT)
        m_awaitingHim.reset(option);
    else
        m_awaitingUs.reset(option);
    const char bytes[3] = {char(TELNET_IAC), char(command), char(option)};
    telnet_recv(m_telnet, bytes, sizeof bytes);
}

void TelnetCodec::endSubnegotiation()
{
    const QByteArray sub = std::exchange(m_sub, {});
    if (m_role == Role::Client && m_subOption == TELNET_TELOPT_TTYPE && m_terminalTypeAgreed
        && sub.size() == 1 && sub[0] == char(TELNET_TTYPE_SEND))
        telnet_ttype_is(m_telnet, kTerminalType);
}

void TelnetCodec::onEvent(telnet_t *, telnet_event_t *event, void *self)
{
    static_cast<TelnetCodec *>(self)->handleEvent(event);
}

void TelnetCodec::appendData(char byte)
{
    if (!m_data)
        return;
    if (m_receiveBinary) {
        m_data->append(byte);
        m_crPending = false;
        return;
    }
    if (m_crPending && byte == '\0') {
        m_crPending = false;
        return;
    }
    m_data->append(byte);
    m_crPending = byte == kCr;
}

void TelnetCodec::countSwitchOn(unsigned char option, bool ours)
{
    unsigned char &count = ours ? m_switchOnsUs[option] : m_switchOnsHim[option];
    if (count < kMaxSwitchOns)
        ++count;
    if (count < kMaxSwitchOns)
        return;
    for (telnet_telopt_t &entry : m_options) {
        if (entry.telopt != option)
            continue;
        if (ours)
            entry.us = TELNET_WONT;
        else
            entry.him = TELNET_DONT;
    }
}

void TelnetCodec::handleEvent(telnet_event_t *event)
{
    switch (event->type) {
    case TELNET_EV_SEND:
        if (m_out)
            m_out->append(event->data.buffer, qsizetype(event->data.size));
        break;
    case TELNET_EV_WILL:
        countSwitchOn(event->neg.telopt, false);
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_receiveBinary = true;
        break;
    case TELNET_EV_WONT:
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_receiveBinary = false;
        break;
    case TELNET_EV_DO:
        countSwitchOn(event->neg.telopt, true);
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_sendBinary = true;
        if (event->neg.telopt == TELNET_TELOPT_TTYPE)
            m_terminalTypeAgreed = true;
        break;
    case TELNET_EV_DONT:
        if (event->neg.telopt == TELNET_TELOPT_BINARY)
            m_sendBinary = false;
        if (event->neg.telopt == TELNET_TELOPT_TTYPE)
            m_terminalTypeAgreed = false;
        break;
    case TELNET_EV_WARNING:
    case TELNET_EV_ERROR:
        // A peer that answers against the rules (DONT answered by WILL):
        // libtelnet settles the option and the link keeps running.
        qWarning("Telnet: %s", event->error.msg);
        break;
    default:
        break;
    }
}
