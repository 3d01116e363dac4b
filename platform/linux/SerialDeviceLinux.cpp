// Serial devices on Linux: termios ttys in raw mode behind the Win32
// communications calls.
//
// - Exclusive access: TIOCEXCL refuses other opens, except by root; an
//   advisory flock() refuses every other program that asks for it, root
//   included. Both are taken, so a second program cannot share the port.
// - Reads wait with poll() on a monotonic deadline derived from the
//   COMMTIMEOUTS, never with VMIN/VTIME.
// - An adapter that goes away (hang-up, EIO, a read that returns nothing
//   although poll() said there was input) makes the call fail at once with
//   ERROR_DEVICE_NOT_CONNECTED; nothing retries or spins on it.
// - USB adapters are asked for low latency (ASYNC_LOW_LATENCY), best effort.
// - A name that reaches a network address (rfc2217://HOST:PORT, tcp://HOST:PORT)
//   opens a line behind a serial device server instead (NetworkDevice.h); the
//   table, the time-outs and the read and write loops are the same for both.
#include "platform/SerialDevice.h"

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/NetworkAddress.h"
#include "platform/PortNames.h"
#include "platform/PortProbe.h"
#include "platform/linux/LineSettings.h"
#include "platform/linux/NetworkDevice.h"
#include "platform/linux/PollWait.h"
#include "platform/linux/Termios2.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace plat {
namespace {

// A write that makes no progress for this long fails instead of hanging
// (the system sets no write time-outs; Windows would wait for ever).
constexpr std::int64_t kWriteStallMs = 5000;

struct Device {
    int fd = -1;
    std::string name;
    std::string path;
    COMMTIMEOUTS timeouts;
    DCB dcb; // the last settings applied, for the fields termios cannot hold
    bool lost = false;
    std::unique_ptr<NetworkDevice> network; // a line behind a device server; fd stays -1

    int PollFd() const { return network ? network->Socket() : fd; }
    int WaitInput(int timeoutMs) {
        return network ? network->WaitInput(timeoutMs) : WaitReady(fd, POLLIN, timeoutMs);
    }
    ssize_t ReadSome(BYTE* out, std::size_t size) {
        return network ? network->Read(out, size) : ::read(fd, out, size);
    }
    ssize_t WriteSome(const BYTE* in, std::size_t size) {
        return network ? network->Write(in, size) : ::write(fd, in, size);
    }

    ~Device() {
        if (fd >= 0) {
            // TIOCEXCL stays on a tty until its last close; another holder of
            // the tty (a simulator, a getty) must not keep us locked out.
            ::ioctl(fd, TIOCNXCL);
            ::close(fd);
        }
    }
};

std::mutex g_mutex;
std::map<HANDLE, std::shared_ptr<Device>> g_devices;
HANDLE g_nextHandle = 0x100;

std::shared_ptr<Device> Find(HANDLE handle) {
    std::lock_guard lock(g_mutex);
    auto it = g_devices.find(handle);
    if (it == g_devices.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second;
}

BOOL Fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

BOOL DeviceLost(Device& device) {
    if (!device.lost && device.network) {
        OutputDebugFormat("%s (%s): the connection to the device server was lost (%s).\r\n",
                          device.name.c_str(), device.path.c_str(),
                          device.network->LostReason().c_str());
    } else if (!device.lost) {
        OutputDebugFormat("%s (%s): the device went away (adapter unplugged or port closed).\r\n",
                          device.name.c_str(), device.path.c_str());
    }
    device.lost = true;
    return Fail(ERROR_DEVICE_NOT_CONNECTED);
}

void RequestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return; // not a UART-like driver (pseudo-terminal, some USB classes)
    if (serial.flags & ASYNC_LOW_LATENCY)
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

void SetModemLine(int fd, int line, bool on) {
    ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

std::string PortNameFromPath(const char* path) {
    std::string text = path ? path : "";
    static const std::string prefix = "\\\\.\\";
    if (text.compare(0, prefix.size(), prefix) == 0)
        text.erase(0, prefix.size());
    return text;
}

// The outcome of a network device's operation as the call returns it.
BOOL NetworkResult(Device& device, DWORD error) {
    if (error == ERROR_SUCCESS)
        return TRUE;
    return error == ERROR_DEVICE_NOT_CONNECTED ? DeviceLost(device) : Fail(error);
}

BOOL SetNetworkLine(Device& device, const DCB& dcb) {
    if (!NetworkResult(device, device.network->ApplyLine(dcb)))
        return FALSE;
    device.dcb = dcb;
    return TRUE;
}

HANDLE Register(std::shared_ptr<Device> device) {
    std::lock_guard lock(g_mutex);
    const HANDLE handle = g_nextHandle++;
    g_devices.emplace(handle, std::move(device));
    return handle;
}

// The server's own line settings are not asked for: until SetCommState the
// DCB holds 8 data bits and a rate of 0.
HANDLE OpenNetworkDevice(std::shared_ptr<Device> device) {
    const NetworkAddressParse parsed = ParseNetworkAddress(device->path);
    if (!parsed.address) {
        OutputDebugFormat("%s: %s.\r\n", device->name.c_str(), parsed.error.c_str());
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    device->network = NetworkDevice::Open(device->name, *parsed.address);
    if (!device->network)
        return INVALID_HANDLE_VALUE;
    device->dcb.DCBlength = sizeof(DCB);
    device->dcb.fBinary = 1;
    device->dcb.ByteSize = 8;
    return Register(std::move(device));
}

} // namespace

HANDLE CreateFile(const char* path, DWORD, DWORD, const void*, DWORD, DWORD, HANDLE) {
    const std::string name = PortNameFromPath(path);
    auto devicePath = ResolvePortName(name);
    if (!devicePath) {
        OutputDebugFormat("%s: no serial device has this name (no link in the ports folder and "
                          "no matching /dev/ttyS, ttyUSB or ttyACM device).\r\n",
                          name.c_str());
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto device = std::make_shared<Device>();
    device->name = name;
    device->path = *devicePath;
    if (LooksLikeNetworkAddress(*devicePath))
        return OpenNetworkDevice(std::move(device));

    device->fd = ::open(devicePath->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device->fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            OutputDebugFormat("%s (%s): permission denied. Add the user to the group that owns "
                              "the device (dialout on Debian: sudo usermod -aG dialout $USER) "
                              "and log in again.\r\n",
                              name.c_str(), devicePath->c_str());
        } else if (error == EBUSY) {
            OutputDebugFormat("%s (%s): in use by another program; close it and try again.\r\n",
                              name.c_str(), devicePath->c_str());
        } else {
            OutputDebugFormat("%s (%s): %s.\r\n", name.c_str(), devicePath->c_str(),
                              std::strerror(error));
        }
        SetLastError(Win32ErrorFromErrno(error));
        return INVALID_HANDLE_VALUE;
    }
    if (!::isatty(device->fd)) {
        OutputDebugFormat("%s (%s): not a serial device.\r\n", name.c_str(), devicePath->c_str());
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (::flock(device->fd, LOCK_EX | LOCK_NB) != 0) {
        OutputDebugFormat("%s (%s): in use by another program; close it and try again.\r\n",
                          name.c_str(), devicePath->c_str());
        ::close(device->fd);
        device->fd = -1;
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    ::ioctl(device->fd, TIOCEXCL);
    RequestLowLatency(device->fd);

    posix::LineFlags flags;
    if (posix::GetLineFlags(device->fd, flags) == 0)
        device->dcb = posix::DcbFromLineFlags(flags, DCB{});
    return Register(std::move(device));
}

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<Device> device;
    {
        std::lock_guard lock(g_mutex);
        auto it = g_devices.find(handle);
        if (it == g_devices.end())
            return Fail(ERROR_INVALID_HANDLE);
        device = std::move(it->second);
        g_devices.erase(it);
    }
    return TRUE; // the descriptor closes with the last reference
}

BOOL GetCommState(HANDLE handle, DCB* dcb) {
    auto device = Find(handle);
    if (!device || !dcb)
        return device ? Fail(ERROR_INVALID_PARAMETER) : FALSE;
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (device->network) {
        *dcb = device->dcb;
        return TRUE;
    }
    posix::LineFlags flags;
    if (int error = posix::GetLineFlags(device->fd, flags); error != 0)
        return error == EIO ? DeviceLost(*device) : Fail(Win32ErrorFromErrno(error));
    *dcb = posix::DcbFromLineFlags(flags, device->dcb);
    return TRUE;
}

BOOL SetCommState(HANDLE handle, const DCB* dcb) {
    auto device = Find(handle);
    if (!device || !dcb)
        return device ? Fail(ERROR_INVALID_PARAMETER) : FALSE;
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (device->network)
        return SetNetworkLine(*device, *dcb);
    posix::LineFlags current;
    if (int error = posix::GetLineFlags(device->fd, current); error != 0)
        return error == EIO ? DeviceLost(*device) : Fail(Win32ErrorFromErrno(error));

    auto built = posix::BuildLineFlags(*dcb, current);
    if (built.error != ERROR_SUCCESS) {
        OutputDebugFormat("%s: the line cannot take %s.\r\n", device->name.c_str(),
                          built.reason.c_str());
        return Fail(built.error);
    }
    if (int error = posix::SetLineFlags(device->fd, built.flags); error != 0) {
        if (error == EIO)
            return DeviceLost(*device);
        OutputDebugFormat("%s: the driver refused %u baud: %s.\r\n", device->name.c_str(),
                          dcb->BaudRate, std::strerror(error));
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // tcsetattr-style calls succeed when any one change was applied: read back.
    posix::LineFlags applied;
    if (int error = posix::GetLineFlags(device->fd, applied); error != 0)
        return Fail(Win32ErrorFromErrno(error));
    if (std::string differences = posix::CompareAppliedLine(built.flags, applied);
        !differences.empty()) {
        OutputDebugFormat("%s: the line did not take the settings: %s.\r\n", device->name.c_str(),
                          differences.c_str());
        posix::SetLineFlags(device->fd, current);
        return Fail(ERROR_INVALID_PARAMETER);
    }
    SetModemLine(device->fd, TIOCM_DTR, dcb->fDtrControl != DTR_CONTROL_DISABLE);
    SetModemLine(device->fd, TIOCM_RTS, dcb->fRtsControl != RTS_CONTROL_DISABLE);
    device->dcb = *dcb;
    return TRUE;
}

BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    auto device = Find(handle);
    if (!device)
        return FALSE;
    if (!timeouts)
        return Fail(ERROR_INVALID_PARAMETER);
    *timeouts = device->timeouts;
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts) {
    auto device = Find(handle);
    if (!device)
        return FALSE;
    if (!timeouts)
        return Fail(ERROR_INVALID_PARAMETER);
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    device->timeouts = *timeouts;
    return TRUE;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*) {
    if (bytesRead)
        *bytesRead = 0;
    auto device = Find(handle);
    if (!device)
        return FALSE;
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (bytesToRead == 0)
        return TRUE;
    if (!buffer)
        return Fail(ERROR_INVALID_PARAMETER);

    const COMMTIMEOUTS& t = device->timeouts;
    // MAXDWORD interval with no totals: return at once with what is waiting.
    const bool immediate = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                           t.ReadTotalTimeoutConstant == 0;
    const std::int64_t total =
        static_cast<std::int64_t>(t.ReadTotalTimeoutMultiplier) * bytesToRead +
        t.ReadTotalTimeoutConstant;
    const bool useInterval = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;
    const std::int64_t start = TickMs();
    std::int64_t lastByteAt = start;

    auto* out = static_cast<BYTE*>(buffer);
    DWORD got = 0;
    while (got < bytesToRead) {
        int waitMs = -1;
        if (immediate) {
            waitMs = 0;
        } else {
            std::int64_t now = TickMs();
            std::int64_t limit = -1;
            if (total > 0)
                limit = start + total - now;
            if (useInterval && got > 0) {
                std::int64_t gap = lastByteAt + t.ReadIntervalTimeout - now;
                limit = limit < 0 ? gap : std::min(limit, gap);
            }
            if (limit == 0 || (limit < 0 && (total > 0 || (useInterval && got > 0))))
                break;
            waitMs = static_cast<int>(limit);
        }
        int ready = device->WaitInput(waitMs);
        if (ready < 0)
            return DeviceLost(*device);
        if (ready == 0)
            break;
        ssize_t n = device->ReadSome(out + got, bytesToRead - got);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) // input was signalled but nothing came: the line hung up
            return n == 0 || errno == EIO ? DeviceLost(*device) : Fail(Win32ErrorFromErrno(errno));
        got += static_cast<DWORD>(n);
        lastByteAt = TickMs();
        if (immediate)
            continue;
    }
    if (bytesRead)
        *bytesRead = got;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void*) {
    if (bytesWritten)
        *bytesWritten = 0;
    auto device = Find(handle);
    if (!device)
        return FALSE;
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (bytesToWrite > 0 && !buffer)
        return Fail(ERROR_INVALID_PARAMETER);

    const COMMTIMEOUTS& t = device->timeouts;
    const std::int64_t total =
        static_cast<std::int64_t>(t.WriteTotalTimeoutMultiplier) * bytesToWrite +
        t.WriteTotalTimeoutConstant;
    const std::int64_t start = TickMs();
    std::int64_t lastProgress = start;
    const auto* in = static_cast<const BYTE*>(buffer);
    DWORD sent = 0;
    while (sent < bytesToWrite) {
        ssize_t n = device->WriteSome(in + sent, bytesToWrite - sent);
        if (n > 0) {
            sent += static_cast<DWORD>(n);
            lastProgress = TickMs();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return errno == EIO ? DeviceLost(*device) : Fail(Win32ErrorFromErrno(errno));
        const std::int64_t now = TickMs();
        std::int64_t limit = lastProgress + kWriteStallMs - now;
        if (total > 0)
            limit = std::min(limit, start + total - now);
        if (limit <= 0) {
            if (total == 0)
                OutputDebugFormat("%s: no byte left for %lld ms; the line is stalled.\r\n",
                                  device->name.c_str(), static_cast<long long>(kWriteStallMs));
            if (bytesWritten)
                *bytesWritten = sent;
            return Fail(ERROR_SEM_TIMEOUT);
        }
        int ready = WaitReady(device->PollFd(), POLLOUT, static_cast<int>(limit));
        if (ready < 0)
            return DeviceLost(*device);
    }
    if (bytesWritten)
        *bytesWritten = sent;
    return TRUE;
}

BOOL ClearCommError(HANDLE handle, DWORD* errors, COMSTAT* status) {
    auto device = Find(handle);
    if (!device)
        return FALSE;
    if (errors)
        *errors = 0;
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (device->network) {
        COMSTAT queues;
        if (!NetworkResult(*device, device->network->QueueSizes(queues)))
            return FALSE;
        if (status)
            *status = queues;
        return TRUE;
    }
    if (status) {
        int in = 0, out = 0;
        ::ioctl(device->fd, FIONREAD, &in);
        ::ioctl(device->fd, TIOCOUTQ, &out);
        *status = COMSTAT{0, static_cast<DWORD>(in), static_cast<DWORD>(out)};
    }
    return TRUE;
}

BOOL PurgeComm(HANDLE handle, DWORD flags) {
    auto device = Find(handle);
    if (!device)
        return FALSE;
    if (device->lost)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (device->network)
        return NetworkResult(*device, device->network->Purge(flags));
    if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR))
        ::tcflush(device->fd, TCIOFLUSH);
    else if (flags & PURGE_RXCLEAR)
        ::tcflush(device->fd, TCIFLUSH);
    else if (flags & PURGE_TXCLEAR)
        ::tcflush(device->fd, TCOFLUSH);
    return TRUE;
}

BOOL GetDefaultCommConfig(const char* name, COMMCONFIG* config, DWORD* size) {
    if (!name || !config || !size)
        return Fail(ERROR_INVALID_PARAMETER);
    if (*size < 52) {
        *size = 52;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    // Only what the system knows about the device: a port is never opened
    // to learn its defaults.
    if (!ProbeSerialPort(name))
        return Fail(ERROR_FILE_NOT_FOUND);
    *config = COMMCONFIG{};
    config->dwSize = 52;
    config->wVersion = 1;
    config->dcb.DCBlength = sizeof(DCB);
    config->dcb.BaudRate = 9600;
    config->dcb.fBinary = 1;
    config->dcb.fDtrControl = DTR_CONTROL_ENABLE;
    config->dcb.fRtsControl = RTS_CONTROL_ENABLE;
    config->dcb.XonLim = 2048;
    config->dcb.XoffLim = 512;
    config->dcb.ByteSize = 8;
    config->dcb.XonChar = 0x11;
    config->dcb.XoffChar = 0x13;
    config->dwProviderSubType = PST_RS232;
    return TRUE;
}

} // namespace plat
