// What the port does with a device server's answers that ser2net never
// gives: a line setting answered with another value, and a purge left
// unanswered. The server here speaks just enough telnet for that: it agrees
// to the COM-PORT-OPTION and answers each command as the test tells it.
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/SerialDevice.h"
#include "serial/CSerialCom.h"
#include "support/Ser2net.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::uint8_t IAC = 255, DO = 253, WILL = 251, SB = 250, SE = 240;
constexpr std::uint8_t kComPort = 44;

class ScriptedComPortServer {
public:
    // The value to answer a command with, or nothing to leave it unanswered.
    using Answer =
        std::function<std::optional<std::uint32_t>(std::uint8_t command, std::uint32_t value)>;

    explicit ScriptedComPortServer(Answer answer) : m_answer(std::move(answer)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ScriptedComPortServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
        if (m_client >= 0)
            ::close(m_client);
    }

    std::string Address() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }

    // Line bytes from the unit's side (none of them 0xFF).
    void SendLineBytes(const std::vector<std::uint8_t>& bytes) {
        std::lock_guard lock(m_sendMutex);
        ::send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

private:
    void Serve() {
        while (!m_stop) {
            pollfd p{m_client >= 0 ? m_client.load() : m_listener, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            if (m_client < 0) {
                m_client = ::accept(m_listener, nullptr, nullptr);
                continue;
            }
            std::uint8_t buffer[512];
            const ssize_t n = ::recv(m_client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            for (ssize_t i = 0; i < n; ++i)
                Take(buffer[i]);
        }
    }

    // The client's telnet stream, byte by byte: negotiation and subnegotiations.
    void Take(std::uint8_t byte) {
        switch (m_state) {
        case State::Data:
            m_state = byte == IAC ? State::Iac : State::Data;
            break;
        case State::Iac:
            m_state = byte == SB                    ? State::Sub
                      : byte >= WILL && byte <= 254 ? State::Option
                                                    : State::Data;
            m_verb = byte;
            m_sub.clear();
            break;
        case State::Option:
            if (m_verb == WILL && byte == kComPort)
                Reply({IAC, DO, kComPort});
            m_state = State::Data;
            break;
        case State::Sub:
            if (byte == IAC)
                m_state = State::SubIac;
            else
                m_sub.push_back(byte);
            break;
        case State::SubIac:
            if (byte == SE) {
                AnswerCommand(m_sub);
                m_state = State::Data;
            } else {
                m_sub.push_back(byte);
                m_state = State::Sub;
            }
            break;
        }
    }

    void AnswerCommand(const std::vector<std::uint8_t>& sub) {
        if (sub.size() < 3 || sub[0] != kComPort)
            return;
        std::uint32_t value = 0;
        for (std::size_t i = 2; i < sub.size(); ++i)
            value = (value << 8) | sub[i];
        const std::optional<std::uint32_t> answer = m_answer(sub[1], value);
        if (!answer)
            return;
        std::vector<std::uint8_t> reply{IAC, SB, kComPort, static_cast<std::uint8_t>(sub[1] + 100)};
        for (std::size_t i = sub.size() - 2; i > 0; --i)
            reply.push_back(static_cast<std::uint8_t>(*answer >> (8 * (i - 1))));
        reply.insert(reply.end(), {IAC, SE});
        Reply(reply);
    }

    void Reply(const std::vector<std::uint8_t>& bytes) {
        std::lock_guard lock(m_sendMutex);
        ::send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    enum class State { Data, Iac, Option, Sub, SubIac };

    Answer m_answer;
    int m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::atomic<int> m_client{-1};
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_sendMutex;
    std::thread m_thread;
    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::vector<std::uint8_t> m_sub;
};

constexpr std::uint8_t kSetBaudRate = 1, kPurgeData = 12;

std::optional<std::uint32_t> Echo(std::uint8_t command, std::uint32_t value) {
    return command == 5 ? std::nullopt : std::optional(value); // SET-CONTROL unanswered
}

class ServerAnswers : public ::testing::Test {
protected:
    void Open(const std::string& address, std::uint32_t baud) {
        std::filesystem::create_directories(config.PortsDir());
        ASSERT_TRUE(vxtest::LinkPort(config.PortsDir(), "COM9", address));
        std::strcpy(settings.portName, "COM9");
        settings.baudRate = baud;
        settings.byteSize = 8;
        port = std::make_unique<vx::CSerialCom>(&settings);
        ASSERT_TRUE(port->IsReady()) << debug.Text();
    }

    vxtest::IsolatedConfig config;
    plat::DebugCapture debug;
    vx::SerialPortSettings settings;
    std::unique_ptr<vx::CSerialCom> port;
};

} // namespace

TEST_F(ServerAnswers, AValueTheServerChangesFailsTheSettingsAsALocalLineWould) {
    ScriptedComPortServer server([](std::uint8_t command, std::uint32_t value) {
        return command == kSetBaudRate ? std::optional<std::uint32_t>(9600) : Echo(command, value);
    });
    Open(server.Address(), 115200);
    EXPECT_FALSE(port->ApplySettings());
    EXPECT_TRUE(debug.Contains("COM9 (" + server.Address() +
                               "): the device server set 9600 baud when 115200 baud was asked; "
                               "the line settings were not taken.\r\n::SetCommState() error: 87"))
        << debug.Text();
    EXPECT_EQ(port->Device(), 0); // closed, as after a refused local setting
}

TEST_F(ServerAnswers, SettingsTheServerTakesApplyWithoutWaitingForModemLineAnswers) {
    ScriptedComPortServer server(Echo);
    Open(server.Address(), 921600);
    const std::int64_t start = plat::TickMs();
    EXPECT_TRUE(port->ApplySettings()) << debug.Text();
    EXPECT_LT(plat::TickMs() - start, 500);
    plat::DCB dcb;
    ASSERT_TRUE(plat::GetCommState(port->Device(), &dcb));
    EXPECT_EQ(dcb.BaudRate, 921600u);
}

// Stale input is discarded here and at the server; a server that never
// confirms the purge costs one bounded wait, said on the debugger output,
// and later purges go on without waiting.
TEST_F(ServerAnswers, AnUnansweredPurgeIsWaitedForOnceWithinItsBound) {
    ScriptedComPortServer server([](std::uint8_t command, std::uint32_t value) {
        return command == kPurgeData ? std::nullopt : Echo(command, value);
    });
    Open(server.Address(), 57600);
    ASSERT_TRUE(port->ApplySettings());
    ASSERT_TRUE(port->SetTimeouts(0, 200, 0, 0, 0));

    server.SendLineBytes({0x27, 0x00, 0x01});
    plat::Sleep(100);
    std::int64_t start = plat::TickMs();
    EXPECT_EQ(port->DiscardPendingInput(), 3u);
    const std::int64_t firstPurge = plat::TickMs() - start;
    EXPECT_GE(firstPurge, 1000 - 50);
    EXPECT_LT(firstPurge, 1000 + 300);
    EXPECT_TRUE(debug.Contains("the device server did not confirm PURGE-DATA within 1000 ms; "
                               "going on without it"))
        << debug.Text();

    server.SendLineBytes({0x10, 0x20});
    plat::Sleep(100);
    start = plat::TickMs();
    EXPECT_EQ(port->DiscardPendingInput(), 2u);
    EXPECT_LT(plat::TickMs() - start, 100);
    vx::BYTE byte = 0;
    EXPECT_FALSE(port->ReadByte(&byte)); // nothing left: a read time-out
}
