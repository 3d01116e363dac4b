// The status worker: a thread that only supplies the rhythm of the status
// poll. While polling is on it sends the main window message 1027 (status
// poll) and then 1028 (AM counter poll), each returning only once the window
// has handled it, and then waits 1000 / rate ms. It never touches the port,
// the protocol object or a control.
//
// The process-wide values below are written by the user-interface thread and
// read by the worker. Writing one wakes the worker, which otherwise sleeps
// until its next cycle is due.
#pragma once

#include "platform/MessageTarget.h"
#include "platform/Win32Types.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <thread>

namespace vx::ui {

inline constexpr plat::UINT WM_STATUS_POLL = 1027;
inline constexpr plat::UINT WM_AM_COUNTER_POLL = 1028;
inline constexpr std::uint32_t kDefaultSamplesPerSecond = 10;
// The worker thread's name, as process tools (top -H, ps -L) show it.
inline constexpr const char* kStatusWorkerThreadName = "vx18d-status";

// Wakes the status worker so that it looks at the process-wide values again.
void WakeStatusWorker();

// A process-wide value the worker reads: an atomic whose every write (by
// assignment or store) wakes the worker.
template <class T> class WorkerValue : public std::atomic<T> {
public:
    constexpr WorkerValue(T value) noexcept : std::atomic<T>(value) {}
    T operator=(T value) {
        store(value);
        return value;
    }
    void store(T value, std::memory_order order = std::memory_order_seq_cst) {
        std::atomic<T>::store(value, order);
        WakeStatusWorker();
    }
};

extern WorkerValue<int> g_bWorkerRun;                  // the worker keeps running
extern WorkerValue<int> g_bPolling;                    // status polling is on
extern std::atomic<int> g_bRecording;                  // an RSSI recording is running
extern WorkerValue<plat::HWND> g_hMainWnd;             // the window that receives the poll messages
extern WorkerValue<std::uint32_t> g_nSamplesPerSecond; // poll cycles per second (low byte)

// Puts the process-wide values back to their start values.
void ResetStatusGlobals();

// The worker's wait between cycles for a rate value: 1000 / rate ms, where
// the rate is the value's low byte and a rate of 0 counts as the default.
std::uint32_t CycleWaitMs(std::uint32_t samplesPerSecond);

class StatusWorker {
public:
    // Starts the thread. It sends its messages to window, and only while
    // g_hMainWnd names that window; the thread keeps the window's message
    // target alive for as long as it runs.
    explicit StatusWorker(std::shared_ptr<plat::MessageTarget> window);
    // Asks the thread to stop and waits for it (see Stop).
    ~StatusWorker();
    StatusWorker(const StatusWorker&) = delete;
    StatusWorker& operator=(const StatusWorker&) = delete;

    // Clears g_bPolling and g_bWorkerRun and waits at most `limit` for the
    // thread to end. True when it ended. A thread that does not end in time
    // is left to finish on its own; it sends nothing more. Once the thread
    // has been stopped, further calls do nothing.
    bool Stop(std::chrono::milliseconds limit);

    bool Running() const { return m_thread.joinable(); }

private:
    static void Run(std::shared_ptr<plat::MessageTarget> window,
                    std::shared_ptr<std::atomic<bool>> abandoned);

    std::shared_ptr<std::atomic<bool>> m_abandoned;
    std::future<void> m_ended;
    std::thread m_thread;
};

} // namespace vx::ui
