#include "server/ComPortSession.h"

#include <libtelnet.h>

#include <array>

namespace vx::server {
namespace {

// What this end agrees to: binary both ways, suppress-go-ahead, and the
// COM-PORT-OPTION. Echo and everything else are refused.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {kComPortOption, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};

// COM-PORT-OPTION commands from a client; the server answers N with N + 100.
enum Command : std::uint8_t {
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kSetLineStateMask = 10,
    kSetModemStateMask = 11,
    kPurgeData = 12,
};
constexpr std::uint8_t kAnswerOffset = 100;

// The option's codes for the settings store's parity (0 none ... 4 space)
// and stop bits (0 one, 1 one and a half, 2 two).
constexpr std::array<std::uint8_t, 5> kParityCodes{1, 2, 3, 4, 5};
constexpr std::array<std::uint8_t, 3> kStopSizeCodes{1, 3, 2};

// SET-CONTROL: the server's line has no flow control, no break, and DTR and
// RTS off, as the port sets it up. A client asking about or for any of them
// hears that state back.
std::uint8_t ControlState(std::uint8_t asked) {
    constexpr std::uint8_t kNoFlowControl = 1, kBreakOff = 6, kDtrOff = 9, kRtsOff = 12,
                           kNoInboundFlowControl = 14;
    if (asked <= 3)
        return kNoFlowControl;
    if (asked <= 6)
        return kBreakOff;
    if (asked <= 9)
        return kDtrOff;
    if (asked <= 12)
        return kRtsOff;
    return kNoInboundFlowControl;
}

} // namespace

std::optional<std::vector<std::uint8_t>> AnswerComPortCommand(std::span<const std::uint8_t> command,
                                                              const LineValues& line) {
    if (command.size() < 2)
        return std::nullopt;
    const std::uint8_t answer = static_cast<std::uint8_t>(command[0] + kAnswerOffset);
    switch (command[0]) {
    case kSetBaudRate:
        return std::vector<std::uint8_t>{answer, static_cast<std::uint8_t>(line.baud >> 24),
                                         static_cast<std::uint8_t>(line.baud >> 16),
                                         static_cast<std::uint8_t>(line.baud >> 8),
                                         static_cast<std::uint8_t>(line.baud)};
    case kSetDataSize:
        return std::vector<std::uint8_t>{answer, line.dataBits};
    case kSetParity:
        return std::vector<std::uint8_t>{answer, kParityCodes.at(line.parity)};
    case kSetStopSize:
        return std::vector<std::uint8_t>{answer, kStopSizeCodes.at(line.stopBits)};
    case kSetControl:
        return std::vector<std::uint8_t>{answer, ControlState(command[1])};
    case kSetLineStateMask:
    case kSetModemStateMask:
        // The server sends no line or modem state notifications.
        return std::vector<std::uint8_t>{answer, 0};
    case kPurgeData:
        if (command[1] < 1 || command[1] > 3)
            return std::nullopt;
        return std::vector<std::uint8_t>{answer, command[1]};
    default:
        return std::nullopt;
    }
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
            if (event->sub.telopt == kComPortOption)
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
    if (payload[0] == kPurgeData) {
        m_handlers.purge(payload[1] == 1   ? Purge::Received
                         : payload[1] == 2 ? Purge::Transmitted
                                           : Purge::Both);
    }
    telnet_subnegotiation(m_telnet.get(), kComPortOption,
                          reinterpret_cast<const char*>(answer->data()), answer->size());
}

} // namespace vx::server
