// The server's end of one client's telnet connection with the
// COM-PORT-OPTION (RFC 2217, option 44). libtelnet does the telnet work
// (option negotiation, the doubling of 0xFF data bytes, subnegotiation
// framing); the option's commands are answered here.
//
// The unit's line belongs to the server: every line-setting command is
// answered (with its number + 100) with the server's own value, whatever the
// client asked for, so a client that asks for other settings sees them
// refused as by a line that cannot take them. A purge concerns only the
// client's own data. The option's codes are the port layer's (the client end
// of the same option). Nothing here touches a socket: bytes go in and come out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct telnet_t;

namespace vx::server {

// The line as the server has set it up, in the codes of the settings store.
struct LineValues {
    std::uint32_t baud = 57600;
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
};

// The answer to one COM-PORT-OPTION command from a client (command byte and
// value as they came in the subnegotiation): the answer's payload, or
// nothing for a command that gets none.
std::optional<std::vector<std::uint8_t>> AnswerComPortCommand(std::span<const std::uint8_t> command,
                                                              const LineValues& line);

class ComPortSession {
public:
    enum class Purge { Received, Transmitted, Both };

    struct Handlers {
        std::function<void(std::span<const std::uint8_t>)> data; // line bytes from the client
        std::function<void(Purge)> purge;
        // Bytes for the socket; `lineData` when they carry reply bytes
        // (as opposed to negotiation and answers).
        std::function<void(std::span<const std::uint8_t>, bool lineData)> send;
    };

    ComPortSession(const LineValues& line, Handlers handlers);
    ~ComPortSession();
    ComPortSession(const ComPortSession&) = delete;
    ComPortSession& operator=(const ComPortSession&) = delete;

    void Receive(std::span<const std::uint8_t> bytes);
    void SendData(std::span<const std::uint8_t> bytes);

    // Set once the client broke the telnet protocol.
    const std::string& ProtocolError() const { return m_protocolError; }

private:
    struct Events;
    struct TelnetFree {
        void operator()(telnet_t* telnet) const;
    };

    void Subnegotiation(std::span<const std::uint8_t> payload);

    LineValues m_line;
    Handlers m_handlers;
    std::unique_ptr<telnet_t, TelnetFree> m_telnet;
    bool m_sendingData = false;
    std::string m_protocolError;
};

} // namespace vx::server
