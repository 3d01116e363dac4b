#include "server/ComPortSession.h"

#include "platform/linux/Rfc2217.h"

#include <libtelnet.h>

namespace vx::server {
namespace {

namespace rfc = plat::rfc2217;

// What this end agrees to: binary both ways, suppress-go-ahead, and the
// COM-PORT-OPTION. Echo and everything else are refused.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {rfc::kComPortOption, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};

// The masks of the notifications a client may ask for; the server sends none.
constexpr std::uint8_t kSetLineStateMask = 10;
constexpr std::uint8_t kSetModemStateMask = 11;

// The server's line as a device control block, for the codes the option
// gives its settings.
plat::DCB LineDcb(const LineValues& line) {
    plat::DCB dcb{};
    dcb.BaudRate = line.baud;
    dcb.ByteSize = line.dataBits;
    dcb.Parity = line.parity;
    dcb.StopBits = line.stopBits;
    return dcb;
}

// SET-CONTROL: the server's line has no flow control, no break, and DTR and
// RTS off, as the port sets it up. A client asking about or for any of them
// hears that state back.
plat::DWORD ControlState(std::uint8_t asked) {
    constexpr plat::DWORD kBreakOff = 6, kNoInboundFlowControl = 14;
    if (asked <= 3)
        return rfc::kNoFlowControl;
    if (asked <= 6)
        return kBreakOff;
    if (asked <= 9)
        return rfc::kDtrOff;
    if (asked <= 12)
        return rfc::kRtsOff;
    return kNoInboundFlowControl;
}

} // namespace

std::optional<std::vector<std::uint8_t>> AnswerComPortCommand(std::span<const std::uint8_t> command,
                                                              const LineValues& line) {
    if (command.size() < 2)
        return std::nullopt;
    if (command[0] == kSetLineStateMask || command[0] == kSetModemStateMask)
        return std::vector<std::uint8_t>{
            static_cast<std::uint8_t>(command[0] + rfc::kServerAnswerOffset), 0};

    const auto asked = static_cast<rfc::Command>(command[0]);
    std::optional<rfc::Setting> answer;
    switch (asked) {
    case rfc::Command::SetBaudRate:
    case rfc::Command::SetDataSize:
    case rfc::Command::SetParity:
    case rfc::Command::SetStopSize:
        // The server's own value, whatever was asked.
        for (const rfc::Setting& own : rfc::LineSettingsOf(LineDcb(line)).settings) {
            if (own.command == asked)
                answer = own;
        }
        break;
    case rfc::Command::SetControl:
        answer = rfc::Setting{asked, ControlState(command[1])};
        break;
    case rfc::Command::PurgeData:
        if (command[1] >= rfc::kPurgeReceive && command[1] <= rfc::kPurgeBoth)
            answer = rfc::Setting{asked, command[1]};
        break;
    default:
        break;
    }
    if (!answer)
        return std::nullopt;
    std::vector<std::uint8_t> bytes = rfc::EncodeRequest(*answer);
    bytes[0] = static_cast<std::uint8_t>(bytes[0] + rfc::kServerAnswerOffset);
    return bytes;
}

struct ComPortSession::Events {
    static void Handle(telnet_t*, telnet_event_t* event, void* context) {
        auto* self = static_cast<ComPortSession*>(context);
        switch (event->type) {
        case TELNET_EV_DATA:
            self->m_handlers.data(
                {reinterpret_cast<const std::uint8_t*>(event->data.buffer), event->data.size});
            break;
        case TELNET_EV_SEND:
            self->m_handlers.send(
                {reinterpret_cast<const std::uint8_t*>(event->data.buffer), event->data.size},
                self->m_sendingData);
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (event->sub.telopt == rfc::kComPortOption)
                self->Subnegotiation(
                    {reinterpret_cast<const std::uint8_t*>(event->sub.buffer), event->sub.size});
            break;
        case TELNET_EV_ERROR:
            if (self->m_protocolError.empty())
                self->m_protocolError = event->error.msg ? event->error.msg : "telnet error";
            break;
        default:
            break;
        }
    }
};

void ComPortSession::TelnetFree::operator()(telnet_t* telnet) const {
    telnet_free(telnet);
}

ComPortSession::ComPortSession(const LineValues& line, Handlers handlers)
    : m_line(line), m_handlers(std::move(handlers)),
      m_telnet(telnet_init(kOptions, &Events::Handle, 0, this)) {}

ComPortSession::~ComPortSession() = default;

void ComPortSession::Receive(std::span<const std::uint8_t> bytes) {
    telnet_recv(m_telnet.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void ComPortSession::SendData(std::span<const std::uint8_t> bytes) {
    m_sendingData = true;
    telnet_send(m_telnet.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size());
    m_sendingData = false;
}

void ComPortSession::Subnegotiation(std::span<const std::uint8_t> payload) {
    const auto answer = AnswerComPortCommand(payload, m_line);
    if (!answer)
        return;
    if (payload[0] == static_cast<std::uint8_t>(rfc::Command::PurgeData)) {
        m_handlers.purge(payload[1] == rfc::kPurgeReceive    ? Purge::Received
                         : payload[1] == rfc::kPurgeTransmit ? Purge::Transmitted
                                                             : Purge::Both);
    }
    telnet_subnegotiation(m_telnet.get(), rfc::kComPortOption,
                          reinterpret_cast<const char*>(answer->data()), answer->size());
}

} // namespace vx::server
