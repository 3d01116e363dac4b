// A small RFC 2217 client for tests of the unit server: telnet over TCP
// (libtelnet), the COM-PORT-OPTION and binary mode offered, line bytes sent
// and read. It lets a test do what no well-behaved client does: send half a
// packet or a bad header, go quiet, disconnect in the middle of an exchange.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct telnet_t;

namespace vxtest {

class Rfc2217TestClient {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Connects and offers the options; Connected() says whether it worked.
    explicit Rfc2217TestClient(std::uint16_t port, const std::string& host = "127.0.0.1");
    ~Rfc2217TestClient();
    Rfc2217TestClient(const Rfc2217TestClient&) = delete;
    Rfc2217TestClient& operator=(const Rfc2217TestClient&) = delete;

    bool Connected() const { return m_fd >= 0; }
    // Waits until the server agreed to the COM-PORT-OPTION.
    bool WaitNegotiated(int timeoutMs);

    // Line bytes, with 0xFF doubled as telnet wants.
    void Send(const Bytes& lineBytes);
    // Line bytes received within the time, up to count of them.
    Bytes Read(std::size_t count, int timeoutMs);
    // Sends a request and reads replyLength bytes; nothing when they did not all come.
    std::optional<Bytes> Exchange(const Bytes& request, std::size_t replyLength, int timeoutMs);

    // A COM-PORT-OPTION command (command byte and value); the answer's
    // payload (command + 100 and value), or nothing when none came.
    std::optional<Bytes> Command(std::uint8_t command, const Bytes& value, int timeoutMs);
    // SET-BAUDRATE with a rate in bits per second (0 asks for the current one).
    std::optional<std::uint32_t> SetBaudRate(std::uint32_t baud, int timeoutMs);

    // True once the server has closed the connection (waits up to timeoutMs).
    bool WaitClosed(int timeoutMs);
    void Close();

private:
    struct Events;
    struct TelnetFree {
        void operator()(telnet_t* telnet) const;
    };

    // Receives what the socket has within timeoutMs; false once it is closed.
    bool Pump(int timeoutMs);
    void SendSocket(const char* data, std::size_t size);

    int m_fd = -1;
    bool m_closed = false;
    bool m_comPortAgreed = false;
    std::unique_ptr<telnet_t, TelnetFree> m_telnet;
    std::deque<std::uint8_t> m_input;
    std::deque<Bytes> m_answers;
};

} // namespace vxtest
