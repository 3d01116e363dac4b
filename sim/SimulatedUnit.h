// The simulated unit on a pseudo-terminal: the program under test opens the
// slave side (through a link in the ports folder) as if it were the serial
// adapter the unit hangs on, and a service thread answers on the master side
// with the unit's replies at the pace of the line.
#pragma once

#include "sim/FaultPlan.h"
#include "sim/UnitModel.h"
#include "sim/UnitOptions.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sim {

class SimulatedUnit {
public:
    explicit SimulatedUnit(UnitOptions options = {});
    ~SimulatedUnit(); // stops the thread, closes the pty and removes the link
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    // Opens a pseudo-terminal in raw mode at the unit's boot rate, points
    // portsDir/portName at its slave (replacing an older link) and starts
    // answering. False, with the reason in LastError(), on failure.
    bool Start(const std::string& portsDir, const std::string& portName);
    void Stop();
    // Closes the master side at once and removes the link, as if the adapter
    // had been pulled: the program's reads and writes on the slave then fail.
    void Unplug();
    bool Running() const { return running_; }
    // A program has the port open (counted from the slave's open and close
    // notifications; a program that holds two descriptors at once may be
    // counted as one).
    bool PortOpen() const { return portOpen_; }

    std::string SlavePath() const;
    std::string LinkPath() const;
    std::string LastError() const;

    // Faults for the next answered exchanges, count times each.
    void ArmNoAnswer(int count = 1);
    void ArmLateAnswer(int delayMs, int count = 1);      // the whole reply is held back
    void ArmShortReply(int bytesMissing, int count = 1); // the reply loses its last bytes
    void ArmSurplusBytes(std::vector<std::uint8_t> extra, int count = 1); // bytes after the reply
    void ArmWrongHeader(int count = 1); // reply with its packet-type byte (byte 2) inverted
    void ArmCorruptByte(int index, int count = 1); // byte `index` (or the last) inverted
    void ArmReplay(int count = 1); // the reply to the request before, in place of this one's
    void ArmGarbage(int length, int count = 1);   // length meaningless bytes in place of the reply
    void ArmStall(int durationMs, int count = 1); // after the reply, reads nothing for a while
    void StopAfter(int exchanges);                // answers that many more, then stays silent
    // Calls arm before every `every`-th exchange that gets an answer, for as
    // long as the unit runs, so that a fault keeps coming back.
    void AddRecurringFault(int every, std::function<void(SimulatedUnit&)> arm);
    void DelayFaults(int answers); // the armed faults wait until that many answers went out
    void ClearFaults();            // also the recurring ones

    // Every complete request packet received, in order of arrival.
    std::vector<std::vector<std::uint8_t>> Requests() const;
    void ClearRequests();
    // Complete requests dealt with, counted once their reply (if any) has gone out.
    std::size_t ExchangeCount() const { return exchanges_; }

    // Runs f(UnitModel&) under the model's lock and returns what f returns.
    template <class F> auto WithModel(F&& f) {
        std::lock_guard<std::mutex> lock(modelMutex_);
        return std::forward<F>(f)(model_);
    }

    // Rate at which replies are paced; 0 follows the rate set on the line.
    void SetBaudRate(std::uint32_t baud) { baudOverride_ = baud; }
    // The rate replies would be paced at now.
    std::uint32_t PacingRate() const;

private:
    using Clock = std::chrono::steady_clock;

    // The descriptors of one run: the master side, our own slave descriptor,
    // the wake-up event for Stop() and the watch on the slave's opens and closes.
    struct Descriptors {
        int master = -1;
        int keeper = -1;
        int wake = -1;
        int watch = -1;
        void CloseAll();
    };

    void Serve(Descriptors fds);
    void TrackSlaveUse(const Descriptors& fds, int& programOpens);
    void Answer(const Descriptors& fds, const std::vector<std::uint8_t>& raw, const Packet& request,
                Clock::time_point firstByteTime);
    bool SendPaced(const Descriptors& fds, const std::vector<std::uint8_t>& bytes,
                   Clock::time_point firstDue, std::chrono::nanoseconds byteTime);
    bool WaitUntil(const Descriptors& fds, Clock::time_point deadline);
    std::uint32_t RateOf(int masterFd) const;
    void Shutdown();
    void SetError(const std::string& what);

    mutable std::mutex modelMutex_;
    UnitModel model_;

    struct RecurringFault {
        int every;
        std::function<void(SimulatedUnit&)> arm;
    };

    mutable std::mutex faultMutex_;
    FaultPlan faults_;
    std::vector<RecurringFault> recurring_;
    std::size_t answered_ = 0; // exchanges the model answered, for the recurring faults

    // Service thread only: the last reply the model gave, and until when the
    // unit reads nothing (a stall).
    std::vector<std::uint8_t> previousReply_;
    Clock::time_point readResumesAt_{};

    mutable std::mutex logMutex_;
    std::vector<std::vector<std::uint8_t>> requests_;
    std::atomic<std::size_t> exchanges_{0};

    std::atomic<std::uint32_t> baudOverride_{0};
    std::atomic<std::uint32_t> bootBaud_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};

    std::atomic<bool> portOpen_{false};

    // Owned by the controlling thread; the service thread gets a copy of the
    // descriptors and is joined before they are closed. The service thread
    // never takes this lock.
    mutable std::mutex controlMutex_;
    Descriptors fds_;
    std::thread thread_;

    mutable std::mutex textMutex_;
    std::string slavePath_;
    std::string linkPath_;
    std::string lastError_;
};

} // namespace sim
