#include "sim/SimulatedUnit.h"

#include "sim/LineRate.h"
#include "sim/PacketFramer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

using namespace std::chrono_literals;

constexpr int kBitsPerByte = 10;          // start bit, 8 data bits, stop bit
constexpr auto kIdlePoll = 100ms;         // longest sleep of the service loop
constexpr auto kErrorBackoff = 10ms;      // after a hang-up or read error
constexpr auto kSpinThreshold = 80us;     // the last stretch of a wait is spun
constexpr auto kWriteStallLimit = 2000ms; // a reply the program never reads is dropped

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

timespec ToTimespec(std::chrono::steady_clock::time_point t) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch());
    return {static_cast<time_t>(ns.count() / 1000000000),
            static_cast<long>(ns.count() % 1000000000)};
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

void DrainWake(int wakeFd) {
    std::uint64_t value = 0;
    while (::read(wakeFd, &value, sizeof value) > 0) {
    }
}

} // namespace

void SimulatedUnit::Descriptors::CloseAll() {
    CloseFd(watch);
    CloseFd(wake);
    CloseFd(keeper);
    CloseFd(master);
}

SimulatedUnit::SimulatedUnit(UnitOptions options)
    : model_(options), bootBaud_(options.bootBaudRate) {}

SimulatedUnit::~SimulatedUnit() {
    Stop();
}

bool SimulatedUnit::Start(const std::string& portsDir, const std::string& portName) {
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (running_) {
        SetError("the simulated unit is already running");
        return false;
    }
    Descriptors fds;
    auto fail = [&](const std::string& what) {
        SetError(ErrnoText(what));
        fds.CloseAll();
        return false;
    };

    fds.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fds.master < 0) {
        return fail("posix_openpt");
    }
    std::array<char, 128> name{};
    if (::grantpt(fds.master) != 0 || ::unlockpt(fds.master) != 0 ||
        ::ptsname_r(fds.master, name.data(), name.size()) != 0) {
        return fail("pseudo-terminal set-up");
    }
    const std::string slave = name.data();

    // Keeping the slave open ourselves stops the master from reporting a
    // hang-up while no program has the port open, and keeps its settings.
    fds.keeper = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (fds.keeper < 0 || ::tcgetattr(fds.keeper, &tio) != 0) {
        return fail("open " + slave);
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(fds.keeper, TCSANOW, &tio) != 0 || !WriteLineRate(fds.keeper, bootBaud_)) {
        return fail("raw mode on " + slave);
    }
    // The program's opens and closes of the slave, to undo what a real port's
    // last close undoes (see TrackSlaveUse). Without it the unit still works.
    fds.watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fds.watch >= 0 && ::inotify_add_watch(fds.watch, slave.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        CloseFd(fds.watch);
    }
    fds.wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fds.wake < 0) {
        return fail("eventfd");
    }

    const std::string link = portsDir + "/" + portName;
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        errno = EEXIST;
        return fail(link + " exists and is not a link");
    }
    const std::string temp = link + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(slave.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return fail("link " + link);
    }

    {
        std::lock_guard<std::mutex> text(textMutex_);
        slavePath_ = slave;
        linkPath_ = link;
        lastError_.clear();
    }
    fds_ = fds;
    stopRequested_ = false;
    portOpen_ = false;
    running_ = true;
    thread_ = std::thread(&SimulatedUnit::Serve, this, fds);
    return true;
}

void SimulatedUnit::Stop() {
    Shutdown();
}

// The service thread leaves at once when woken, so the master closes within
// a fraction of a millisecond, even in the middle of a reply.
void SimulatedUnit::Unplug() {
    Shutdown();
}

void SimulatedUnit::Shutdown() {
    std::lock_guard<std::mutex> lock(controlMutex_);
    stopRequested_ = true;
    if (fds_.wake >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fds_.wake, &one, sizeof one);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    fds_.CloseAll();
    running_ = false;
    portOpen_ = false;

    std::lock_guard<std::mutex> text(textMutex_);
    if (!linkPath_.empty()) {
        // Only our own link goes; another unit may have taken the name since.
        std::array<char, 256> target{};
        const ssize_t n = ::readlink(linkPath_.c_str(), target.data(), target.size() - 1);
        if (n > 0 && std::string(target.data(), static_cast<std::size_t>(n)) == slavePath_) {
            ::unlink(linkPath_.c_str());
        }
        linkPath_.clear();
    }
}

std::string SimulatedUnit::SlavePath() const {
    std::lock_guard<std::mutex> lock(textMutex_);
    return slavePath_;
}

std::string SimulatedUnit::LinkPath() const {
    std::lock_guard<std::mutex> lock(textMutex_);
    return linkPath_;
}

std::string SimulatedUnit::LastError() const {
    std::lock_guard<std::mutex> lock(textMutex_);
    return lastError_;
}

void SimulatedUnit::SetError(const std::string& what) {
    std::lock_guard<std::mutex> lock(textMutex_);
    lastError_ = what;
}

void SimulatedUnit::ArmNoAnswer(int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.noAnswer = count;
}

void SimulatedUnit::ArmLateAnswer(int delayMs, int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.lateAnswers = count;
    faults_.lateDelay = std::chrono::milliseconds(delayMs);
}

void SimulatedUnit::ArmShortReply(int bytesMissing, int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.shortReplies = count;
    faults_.bytesMissing = bytesMissing > 0 ? static_cast<std::size_t>(bytesMissing) : 0;
}

void SimulatedUnit::ArmSurplusBytes(std::vector<std::uint8_t> extra, int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.surplusReplies = count;
    faults_.surplusBytes = std::move(extra);
}

void SimulatedUnit::ArmWrongHeader(int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.wrongHeaders = count;
}

void SimulatedUnit::ArmCorruptByte(int index, int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.corruptReplies = count;
    faults_.corruptIndex = index > 0 ? static_cast<std::size_t>(index) : 0;
}

void SimulatedUnit::ArmReplay(int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.replays = count;
}

void SimulatedUnit::ArmGarbage(int length, int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.garbageReplies = count;
    faults_.garbageLength = length > 0 ? static_cast<std::size_t>(length) : 0;
}

void SimulatedUnit::ArmStall(int durationMs, int count) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.stalls = count;
    faults_.stallDuration = std::chrono::milliseconds(std::max(durationMs, 0));
}

void SimulatedUnit::AddRecurringFault(int every, std::function<void(SimulatedUnit&)> arm) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    recurring_.push_back({std::max(every, 1), std::move(arm)});
}

void SimulatedUnit::StopAfter(int exchanges) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.answersLeft = exchanges;
}

void SimulatedUnit::DelayFaults(int answers) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_.untouched = answers;
}

void SimulatedUnit::ClearFaults() {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faults_ = FaultPlan{};
    recurring_.clear();
}

std::vector<std::vector<std::uint8_t>> SimulatedUnit::Requests() const {
    std::lock_guard<std::mutex> lock(logMutex_);
    return requests_;
}

void SimulatedUnit::ClearRequests() {
    std::lock_guard<std::mutex> lock(logMutex_);
    requests_.clear();
}

std::uint32_t SimulatedUnit::PacingRate() const {
    std::lock_guard<std::mutex> lock(controlMutex_);
    return RateOf(fds_.master);
}

std::uint32_t SimulatedUnit::RateOf(int masterFd) const {
    if (const std::uint32_t forced = baudOverride_; forced != 0) {
        return forced;
    }
    // The master reports the settings the program gave the slave.
    const std::uint32_t line = masterFd >= 0 ? ReadLineRate(masterFd) : 0;
    return line != 0 ? line : bootBaud_.load();
}

void SimulatedUnit::Serve(Descriptors fds) {
    // Wake-ups as close to the deadline as the kernel can manage: pacing at
    // high rates relies on it.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    PacketFramer framer;
    int programOpens = 0;
    std::array<std::uint8_t, 512> buffer{};
    while (!stopRequested_) {
        auto timeout = kIdlePoll;
        if (const auto gap = framer.GapDeadline()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*gap - Clock::now());
            timeout = std::clamp(left, std::chrono::milliseconds(0), timeout);
        }
        // While stalled the line is not read: what the program writes piles up.
        const bool stalled = Clock::now() < readResumesAt_;
        if (stalled) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(readResumesAt_ - Clock::now());
            timeout = std::clamp(left, std::chrono::milliseconds(1), timeout);
        }
        std::array<pollfd, 3> p{{{stalled ? -1 : fds.master, POLLIN, 0},
                                 {fds.wake, POLLIN, 0},
                                 {fds.watch, POLLIN, 0}}};
        const int ready = ::poll(p.data(), p.size(), static_cast<int>(timeout.count()));
        if (ready < 0 && errno != EINTR) {
            WaitUntil(fds, Clock::now() + kErrorBackoff);
            continue;
        }
        if (p[1].revents & POLLIN) {
            DrainWake(fds.wake);
            continue;
        }
        if (p[2].revents & POLLIN) {
            TrackSlaveUse(fds, programOpens);
        }
        const auto now = Clock::now();
        std::vector<PacketFramer::Received> packets;
        if (p[0].revents & POLLIN) {
            const ssize_t n = ::read(fds.master, buffer.data(), buffer.size());
            if (n > 0) {
                packets = framer.Feed(std::span(buffer.data(), static_cast<std::size_t>(n)), now);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                WaitUntil(fds, now + kErrorBackoff); // EIO: nobody on the slave side
            }
        } else if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            WaitUntil(fds, now + kErrorBackoff);
        }
        if (!stalled) {
            framer.Expire(Clock::now()); // a stall is no gap in the program's packet
        }
        for (const PacketFramer::Received& r : packets) {
            if (stopRequested_) {
                break;
            }
            Answer(fds, r.raw, r.packet, r.firstByteTime);
        }
    }
}

void SimulatedUnit::TrackSlaveUse(const Descriptors& fds, int& programOpens) {
    // Our own descriptor keeps the pseudo-terminal alive, so the slave never
    // sees a last close. Do what a serial port's last close does once the
    // program has closed everything it opened: drop its exclusive claim
    // (else it could not open the port again) and discard unread input.
    alignas(inotify_event) std::array<char, 1024> events{};
    ssize_t n = 0;
    while ((n = ::read(fds.watch, events.data(), events.size())) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(events.data() + at);
            if (e->mask & IN_OPEN) {
                ++programOpens;
            }
            if (e->mask & IN_CLOSE) {
                --programOpens;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    if (programOpens <= 0) {
        programOpens = 0;
        ::ioctl(fds.keeper, TIOCNXCL);
        ::tcflush(fds.keeper, TCIFLUSH);
    }
    portOpen_ = programOpens > 0;
}

void SimulatedUnit::Answer(const Descriptors& fds, const std::vector<std::uint8_t>& raw,
                           const Packet& request, Clock::time_point firstByteTime) {
    {
        std::lock_guard<std::mutex> lock(logMutex_);
        requests_.push_back(raw);
    }
    std::optional<Packet> reply;
    {
        std::lock_guard<std::mutex> lock(modelMutex_);
        reply = model_.Handle(request);
    }
    if (reply) {
        // Recurring faults are armed outside the lock: arming takes it.
        std::vector<std::function<void(SimulatedUnit&)>> due;
        {
            std::lock_guard<std::mutex> lock(faultMutex_);
            ++answered_;
            for (const RecurringFault& fault : recurring_) {
                if (answered_ % static_cast<std::size_t>(fault.every) == 0) {
                    due.push_back(fault.arm);
                }
            }
        }
        for (const auto& arm : due) {
            arm(*this);
        }
        std::vector<std::uint8_t> encoded = EncodePacket(*reply);
        ShapedReply shaped;
        {
            std::lock_guard<std::mutex> lock(faultMutex_);
            shaped = ApplyFaults(faults_, encoded, previousReply_);
        }
        previousReply_ = std::move(encoded);
        if (!shaped.silent && !shaped.bytes.empty()) {
            const std::uint32_t baud = std::max<std::uint32_t>(RateOf(fds.master), 1);
            const auto byteTime = std::chrono::nanoseconds(
                static_cast<std::int64_t>(kBitsPerByte * 1e9 / static_cast<double>(baud)));
            // The reply's first byte cannot be complete before the request had
            // the time to cross the line and the byte itself to follow it.
            const auto firstDue = firstByteTime +
                                  byteTime * static_cast<std::int64_t>(raw.size() + 1) +
                                  shaped.extraDelay;
            SendPaced(fds, shaped.bytes, firstDue, byteTime);
        }
        if (shaped.stallAfter.count() > 0) {
            readResumesAt_ = Clock::now() + shaped.stallAfter;
        }
    }
    ++exchanges_;
}

bool SimulatedUnit::SendPaced(const Descriptors& fds, const std::vector<std::uint8_t>& bytes,
                              Clock::time_point firstDue, std::chrono::nanoseconds byteTime) {
    // Byte i is handed over when a UART would have finished sending it, so
    // the program sees the bytes arrive at the line rate.
    const std::size_t total = bytes.size();
    std::size_t sent = 0;
    auto stalledSince = Clock::time_point::max();
    while (sent < total) {
        const auto now = Clock::now();
        std::size_t due = 0;
        if (now >= firstDue) {
            due = std::min<std::size_t>(total,
                                        1 + static_cast<std::size_t>((now - firstDue) / byteTime));
        }
        if (due > sent) {
            const ssize_t n = ::write(fds.master, bytes.data() + sent, due - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                stalledSince = Clock::time_point::max();
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            }
            // The slave's input queue is full: the program is not reading.
            stalledSince = std::min(stalledSince, now);
            if (now - stalledSince > kWriteStallLimit) {
                return false;
            }
            pollfd out{fds.master, POLLOUT, 0};
            ::poll(&out, 1, 10);
            if (stopRequested_) {
                return false;
            }
            continue;
        }
        if (!WaitUntil(fds, firstDue + byteTime * static_cast<std::int64_t>(sent))) {
            return false;
        }
    }
    return true;
}

bool SimulatedUnit::WaitUntil(const Descriptors& fds, Clock::time_point deadline) {
    for (;;) {
        if (stopRequested_) {
            return false;
        }
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        if (left > 2ms) {
            // Long waits stay interruptible by Stop().
            pollfd wake{fds.wake, POLLIN, 0};
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left - 1ms);
            ::poll(&wake, 1, static_cast<int>(ms.count()));
        } else if (left > kSpinThreshold) {
            const timespec until = ToTimespec(deadline - kSpinThreshold / 2);
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        } else {
            while (Clock::now() < deadline) {
            }
            return !stopRequested_;
        }
    }
}

} // namespace sim
