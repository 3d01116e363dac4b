// A serial line behind a serial device server, reached over TCP: the second
// kind of device behind the serial device calls (SerialDevice.h). The serial
// device table keeps the handle, the time-outs and the last DCB for both
// kinds; this class does what differs: connecting, carrying the bytes (raw,
// or inside telnet with the COM-PORT-OPTION), applying line settings at the
// server and purging its buffer.
//
// Every wait is bounded: the host look-up, the connection, the option
// negotiation and each answer the server owes. A failure writes one debugger
// line that names the port, the address and the reason.
//
// Raw TCP carries the line's bytes only: line settings are accepted and not
// sent, and a purge empties only what has reached this end.
#pragma once

#include "platform/NetworkAddress.h"
#include "platform/Win32Types.h"
#include "platform/linux/Rfc2217.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace plat {

class NetworkDevice {
public:
    // Bounds of the waits, in milliseconds.
    static constexpr int kLookupTimeoutMs = 3000;
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kNegotiationTimeoutMs = 2000;
    static constexpr int kAnswerTimeoutMs = 2000;
    static constexpr int kPurgeAnswerTimeoutMs = 1000;

    // Looks the host up, connects and, for RFC 2217, negotiates the
    // COM-PORT-OPTION. On failure: nothing, a debugger line, and the last
    // error set (ERROR_BAD_NETPATH unknown host, ERROR_CONNECTION_REFUSED,
    // ERROR_HOST_UNREACHABLE, ERROR_SEM_TIMEOUT no connection or no agreement
    // to the option in time, ERROR_DEVICE_NOT_CONNECTED the server closed the
    // connection).
    static std::unique_ptr<NetworkDevice> Open(const std::string& name,
                                               const NetworkAddress& address);
    ~NetworkDevice();
    NetworkDevice(const NetworkDevice&) = delete;
    NetworkDevice& operator=(const NetworkDevice&) = delete;

    int Socket() const { return m_socket; }
    // Why the connection is gone, once it is ("the device server closed the connection").
    std::string LostReason() const {
        return m_lostReason.empty() ? "the connection was closed" : m_lostReason;
    }

    // As poll() on a tty: 1 input waiting, 0 time-out, -1 connection lost.
    int WaitInput(int timeoutMs);
    // As read() and write() on a non-blocking tty: the line bytes moved, or
    // -1 with errno EAGAIN (nothing now; a Write waits for the socket to take
    // more) or EIO (connection lost; LostReason says why).
    ssize_t Read(BYTE* out, std::size_t size);
    ssize_t Write(const BYTE* data, std::size_t size);

    // The work of SetCommState, PurgeComm and ClearCommError: ERROR_SUCCESS
    // or the error, ERROR_DEVICE_NOT_CONNECTED when the connection is lost.
    DWORD ApplyLine(const DCB& dcb);
    DWORD Purge(DWORD flags);
    DWORD QueueSizes(COMSTAT& status);

private:
    enum class Wait { Done, TimedOut, Lost };

    NetworkDevice(std::string label, const NetworkAddress& address, int socket);

    bool Negotiate();
    void Send(std::span<const BYTE> data);
    void SendCommand(const rfc2217::Setting& setting);
    bool Flush();
    bool ReceiveAvailable();
    bool Lost(const std::string& reason);
    // Receives until done() holds, the connection is lost or timeoutMs passed.
    Wait Await(int timeoutMs, const std::function<bool()>& done);

    std::string m_label; // "COM9 (rfc2217://rack3-ts:4001)"
    NetworkAddress m_address;
    int m_socket = -1;
    std::deque<BYTE> m_input;                        // line bytes received, not yet read
    std::vector<BYTE> m_output;                      // bytes for the socket, not yet taken by it
    std::unique_ptr<rfc2217::TelnetStream> m_telnet; // none on a raw TCP port
    bool m_purgesAnswered = true; // false once the server left a purge unanswered
    std::string m_lostReason;
};

} // namespace plat
