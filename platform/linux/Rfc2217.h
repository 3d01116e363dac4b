// The COM-PORT-OPTION of telnet (RFC 2217, option 44) as a serial device
// server speaks it: the line settings of a device control block as the
// commands that carry them, the server's answers decoded, and a telnet
// stream over libtelnet that carries the line's bytes and these commands.
//
// libtelnet does the telnet work (option negotiation by the Q method, the
// doubling of 0xFF data bytes both ways, subnegotiation framing); it knows
// nothing of option 44, so the command payloads are built here. Nothing in
// this file touches a socket: bytes go in and come out, so that all of it
// can be tested without a server.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct telnet_t;

namespace plat::rfc2217 {

inline constexpr BYTE kComPortOption = 44;
// The server answers command N with N + 100.
inline constexpr BYTE kServerAnswerOffset = 100;

enum class Command : BYTE {
    SetBaudRate = 1, // 4 bytes, network order
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    PurgeData = 12,
};

// Values of SET-CONTROL that the device control block chooses.
inline constexpr DWORD kNoFlowControl = 1;
inline constexpr DWORD kXonXoffFlowControl = 2;
inline constexpr DWORD kHardwareFlowControl = 3;
inline constexpr DWORD kDtrOn = 8;
inline constexpr DWORD kDtrOff = 9;
inline constexpr DWORD kRtsOn = 11;
inline constexpr DWORD kRtsOff = 12;
inline constexpr DWORD kInboundHardwareFlowControl = 16;
inline constexpr DWORD kInboundDtrFlowControl = 18;

// Values of PURGE-DATA: the server's receive buffer (bytes from the line not
// yet sent to us), its transmit buffer, or both.
inline constexpr DWORD kPurgeReceive = 1;
inline constexpr DWORD kPurgeTransmit = 2;
inline constexpr DWORD kPurgeBoth = 3;

// One command and its value: a rate in bits per second for SET-BAUDRATE,
// otherwise the option's own code (parity 1 none ... 5 space, stop size
// 1 one, 2 two, 3 one and a half).
struct Setting {
    Command command = Command::SetBaudRate;
    DWORD value = 0;
    bool operator==(const Setting&) const = default;
};

struct LineRequests {
    std::vector<Setting> settings; // baud rate, data size, parity, stop size
    std::string refusal;           // non-empty: what the DCB asks that no line can take
};

// The line settings of a DCB as the commands that set them, in the order
// they must go out.
LineRequests LineSettingsOf(const DCB& dcb);

// Outbound flow control, DTR and RTS as the DCB asks for them (SET-CONTROL).
std::vector<Setting> ControlSettingsOf(const DCB& dcb);

// The subnegotiation payload a client sends: command byte and value.
std::vector<BYTE> EncodeRequest(const Setting& setting);

// A server's answer (command + 100 and the value it applied); nothing when
// the payload is not one.
std::optional<Setting> DecodeAnswer(std::span<const BYTE> payload);

// "SET-PARITY" and the like, for debugger lines.
const char* CommandName(Command command);
// The setting as an operator reads it: "115200 baud", "parity even".
std::string Describe(const Setting& setting);

// A telnet connection's byte stream as the client end sees it. Bytes to send
// collect in the output buffer, line bytes received in the input buffer;
// both belong to the caller, who moves them to and from the socket.
class TelnetStream {
public:
    // libtelnet's Q method reports no event when the peer refuses an offer
    // of ours (DONT after WILL), so a refusal and no answer look the same:
    // the option stays Pending, and only a bounded wait ends it.
    enum class OptionState { Pending, Agreed };

    TelnetStream(std::vector<BYTE>& output, std::deque<BYTE>& input);
    ~TelnetStream();
    TelnetStream(const TelnetStream&) = delete;
    TelnetStream& operator=(const TelnetStream&) = delete;

    // Offers the COM-PORT-OPTION and asks for binary transmission both ways
    // (without it a server may turn CR into CR NUL).
    void Start();
    void SendData(std::span<const BYTE> data);
    void SendCommand(const Setting& setting);
    void Receive(std::span<const BYTE> bytes);

    OptionState ComPortOption() const { return m_comPort; }
    // The first answer to command that came since the last call, earlier
    // answers to other commands included in what is dropped; nothing when
    // none came.
    std::optional<Setting> TakeAnswer(Command command);
    void DropAnswers() { m_answers.clear(); }
    // Set once the peer broke the telnet protocol; the stream is of no use then.
    const std::string& ProtocolError() const { return m_protocolError; }

private:
    struct Events;
    struct TelnetFree {
        void operator()(telnet_t* telnet) const;
    };

    std::vector<BYTE>& m_output;
    std::deque<BYTE>& m_input;
    std::unique_ptr<telnet_t, TelnetFree> m_telnet;
    OptionState m_comPort = OptionState::Pending;
    std::deque<Setting> m_answers;
    std::string m_protocolError;
};

} // namespace plat::rfc2217
