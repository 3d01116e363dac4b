#include "platform/linux/Rfc2217.h"

#include <libtelnet.h>

#include <algorithm>

namespace plat::rfc2217 {
namespace {

// What this end agrees to: binary both ways, suppress-go-ahead, and the
// COM-PORT-OPTION on our side only (the server side answers the commands).
// Echo and everything else are refused.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {kComPortOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

// Telnet codes of the DCB's parity (0 none ... 4 space) and stop bits (0 one,
// 1 one and a half, 2 two).
constexpr DWORD kParityCodes[] = {1, 2, 3, 4, 5};
constexpr DWORD kStopSizeCodes[] = {1, 3, 2};

constexpr std::size_t kAnswersKept = 32;

} // namespace

LineRequests LineSettingsOf(const DCB& dcb) {
    LineRequests requests;
    if (dcb.BaudRate == 0)
        requests.refusal = "a rate of 0 baud";
    else if (dcb.ByteSize < 5 || dcb.ByteSize > 8)
        requests.refusal = std::to_string(dcb.ByteSize) + " data bits";
    else if (dcb.Parity >= std::size(kParityCodes))
        requests.refusal = "parity code " + std::to_string(dcb.Parity);
    else if (dcb.StopBits >= std::size(kStopSizeCodes))
        requests.refusal = "stop-bits code " + std::to_string(dcb.StopBits);
    if (!requests.refusal.empty())
        return requests;
    requests.settings = {
        {Command::SetBaudRate, dcb.BaudRate},
        {Command::SetDataSize, dcb.ByteSize},
        {Command::SetParity, kParityCodes[dcb.Parity]},
        {Command::SetStopSize, kStopSizeCodes[dcb.StopBits]},
    };
    return requests;
}

std::vector<Setting> ControlSettingsOf(const DCB& dcb) {
    const DWORD flow = dcb.fOutxCtsFlow ? kHardwareFlowControl
                       : dcb.fOutX      ? kXonXoffFlowControl
                                        : kNoFlowControl;
    const DWORD dtr = dcb.fDtrControl == DTR_CONTROL_HANDSHAKE ? kInboundDtrFlowControl
                      : dcb.fDtrControl == DTR_CONTROL_DISABLE ? kDtrOff
                                                               : kDtrOn;
    const DWORD rts = dcb.fRtsControl == RTS_CONTROL_HANDSHAKE ? kInboundHardwareFlowControl
                      : dcb.fRtsControl == RTS_CONTROL_DISABLE ? kRtsOff
                                                               : kRtsOn;
    return {{Command::SetControl, flow}, {Command::SetControl, dtr}, {Command::SetControl, rts}};
}

std::vector<BYTE> EncodeRequest(const Setting& setting) {
    std::vector<BYTE> payload{static_cast<BYTE>(setting.command)};
    if (setting.command == Command::SetBaudRate) {
        for (int shift = 24; shift >= 0; shift -= 8)
            payload.push_back(static_cast<BYTE>(setting.value >> shift));
    } else {
        payload.push_back(static_cast<BYTE>(setting.value));
    }
    return payload;
}

std::optional<Setting> DecodeAnswer(std::span<const BYTE> payload) {
    if (payload.size() < 2 || payload[0] <= kServerAnswerOffset)
        return std::nullopt;
    const auto command = static_cast<Command>(payload[0] - kServerAnswerOffset);
    const std::size_t valueSize = command == Command::SetBaudRate ? 4 : 1;
    if (payload.size() != 1 + valueSize)
        return std::nullopt;
    DWORD value = 0;
    for (std::size_t i = 1; i < payload.size(); ++i)
        value = (value << 8) | payload[i];
    return Setting{command, value};
}

const char* CommandName(Command command) {
    switch (command) {
    case Command::SetBaudRate:
        return "SET-BAUDRATE";
    case Command::SetDataSize:
        return "SET-DATASIZE";
    case Command::SetParity:
        return "SET-PARITY";
    case Command::SetStopSize:
        return "SET-STOPSIZE";
    case Command::SetControl:
        return "SET-CONTROL";
    case Command::NotifyLineState:
        return "NOTIFY-LINESTATE";
    case Command::NotifyModemState:
        return "NOTIFY-MODEMSTATE";
    case Command::PurgeData:
        return "PURGE-DATA";
    }
    return "COM-PORT-OPTION command";
}

std::string Describe(const Setting& setting) {
    static const char* const kParities[] = {"none", "odd", "even", "mark", "space"};
    static const char* const kStopSizes[] = {"1", "2", "1.5"};
    const DWORD v = setting.value;
    switch (setting.command) {
    case Command::SetBaudRate:
        return std::to_string(v) + " baud";
    case Command::SetDataSize:
        return std::to_string(v) + " data bits";
    case Command::SetParity:
        return v >= 1 && v <= 5 ? std::string("parity ") + kParities[v - 1]
                                : "parity code " + std::to_string(v);
    case Command::SetStopSize:
        return v >= 1 && v <= 3 ? std::string(kStopSizes[v - 1]) + " stop bits"
                                : "stop-size code " + std::to_string(v);
    default:
        return std::string(CommandName(setting.command)) + " " + std::to_string(v);
    }
}

// The libtelnet event handler, with the stream it feeds.
struct TelnetStream::Events {
    static void Handle(telnet_t*, telnet_event_t* event, void* userData) {
        auto& stream = *static_cast<TelnetStream*>(userData);
        switch (event->type) {
        case TELNET_EV_SEND: {
            const auto* bytes = reinterpret_cast<const BYTE*>(event->data.buffer);
            stream.m_output.insert(stream.m_output.end(), bytes, bytes + event->data.size);
            break;
        }
        case TELNET_EV_DATA: {
            const auto* bytes = reinterpret_cast<const BYTE*>(event->data.buffer);
            stream.m_input.insert(stream.m_input.end(), bytes, bytes + event->data.size);
            break;
        }
        case TELNET_EV_DO:
            if (event->neg.telopt == kComPortOption)
                stream.m_comPort = OptionState::Agreed;
            break;
        case TELNET_EV_DONT: // the option, once agreed, was withdrawn
            if (event->neg.telopt == kComPortOption)
                stream.m_comPort = OptionState::Pending;
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (event->sub.telopt == kComPortOption) {
                const auto* bytes = reinterpret_cast<const BYTE*>(event->sub.buffer);
                if (auto answer = DecodeAnswer({bytes, event->sub.size})) {
                    if (stream.m_answers.size() == kAnswersKept)
                        stream.m_answers.pop_front();
                    stream.m_answers.push_back(*answer);
                }
            }
            break;
        case TELNET_EV_ERROR:
            stream.m_protocolError = event->error.msg ? event->error.msg : "telnet protocol error";
            break;
        default:
            break;
        }
    }
};

void TelnetStream::TelnetFree::operator()(telnet_t* telnet) const {
    telnet_free(telnet);
}

TelnetStream::TelnetStream(std::vector<BYTE>& output, std::deque<BYTE>& input)
    : m_output(output), m_input(input), m_telnet(telnet_init(kOptions, &Events::Handle, 0, this)) {}

TelnetStream::~TelnetStream() = default;

void TelnetStream::Start() {
    telnet_negotiate(m_telnet.get(), TELNET_WILL, kComPortOption);
    telnet_negotiate(m_telnet.get(), TELNET_WILL, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet.get(), TELNET_DO, TELNET_TELOPT_BINARY);
}

void TelnetStream::SendData(std::span<const BYTE> data) {
    telnet_send(m_telnet.get(), reinterpret_cast<const char*>(data.data()), data.size());
}

void TelnetStream::SendCommand(const Setting& setting) {
    const std::vector<BYTE> payload = EncodeRequest(setting);
    telnet_subnegotiation(m_telnet.get(), kComPortOption,
                          reinterpret_cast<const char*>(payload.data()), payload.size());
}

void TelnetStream::Receive(std::span<const BYTE> bytes) {
    telnet_recv(m_telnet.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::optional<Setting> TelnetStream::TakeAnswer(Command command) {
    const auto it = std::find_if(m_answers.begin(), m_answers.end(),
                                 [command](const Setting& s) { return s.command == command; });
    if (it == m_answers.end())
        return std::nullopt;
    const Setting answer = *it;
    m_answers.erase(m_answers.begin(), it + 1);
    return answer;
}

} // namespace plat::rfc2217
