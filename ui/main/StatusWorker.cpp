#include "ui/main/StatusWorker.h"

#include "platform/DebugOutput.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <pthread.h>

namespace vx::ui {

namespace {

using Clock = std::chrono::steady_clock;

// Bounds the idle wait should a value change without waking the worker (a
// compare-exchange does not wake it).
constexpr std::chrono::milliseconds kIdleRecheck{250};

// The worker's wake-up: a count of the writes to the process-wide values,
// and the condition the worker waits on for the count to change.
struct WakeSignal {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t writes = 0;
};

WakeSignal& Signal() {
    // Never destroyed: a worker left to end on its own may still wait on it
    // while the process exits.
    alignas(WakeSignal) static unsigned char storage[sizeof(WakeSignal)];
    static WakeSignal* const signal = new (storage) WakeSignal;
    return *signal;
}

std::uint64_t WritesSoFar() {
    WakeSignal& signal = Signal();
    std::lock_guard lock(signal.mutex);
    return signal.writes;
}

// Sleeps until a value is written after the `seen`-th write, or until deadline.
void WaitForWrite(std::uint64_t seen, Clock::time_point deadline) {
    WakeSignal& signal = Signal();
    std::unique_lock lock(signal.mutex);
    signal.changed.wait_until(lock, deadline, [&] { return signal.writes != seen; });
}

} // namespace

void WakeStatusWorker() {
    WakeSignal& signal = Signal();
    {
        std::lock_guard lock(signal.mutex);
        ++signal.writes;
    }
    signal.changed.notify_all();
}

WorkerValue<int> g_bWorkerRun{1};
WorkerValue<int> g_bPolling{0};
std::atomic<int> g_bRecording{0};
WorkerValue<plat::HWND> g_hMainWnd{nullptr};
WorkerValue<std::uint32_t> g_nSamplesPerSecond{kDefaultSamplesPerSecond};

void ResetStatusGlobals() {
    g_bWorkerRun = 1;
    g_bPolling = 0;
    g_bRecording = 0;
    g_hMainWnd = nullptr;
    g_nSamplesPerSecond = kDefaultSamplesPerSecond;
}

std::uint32_t CycleWaitMs(std::uint32_t samplesPerSecond) {
    std::uint32_t rate = samplesPerSecond & 0xFF;
    if (rate == 0)
        rate = kDefaultSamplesPerSecond;
    return 1000 / rate;
}

StatusWorker::StatusWorker(std::shared_ptr<plat::MessageTarget> window)
    : m_abandoned(std::make_shared<std::atomic<bool>>(false)) {
    std::promise<void> ended;
    m_ended = ended.get_future();
    m_thread = std::thread(
        [window = std::move(window), abandoned = m_abandoned, ended = std::move(ended)]() mutable {
            pthread_setname_np(pthread_self(), kStatusWorkerThreadName);
            Run(std::move(window), std::move(abandoned));
            ended.set_value();
        });
}

StatusWorker::~StatusWorker() {
    Stop(std::chrono::milliseconds(2000));
}

bool StatusWorker::Stop(std::chrono::milliseconds limit) {
    if (!m_thread.joinable())
        return true;
    g_bPolling = 0;
    g_bWorkerRun = 0;
    if (m_ended.wait_for(limit) == std::future_status::ready) {
        m_thread.join();
        return true;
    }
    // Only the message target and the flags are left to the thread, and it
    // holds its own reference to the target; it ends at its next check.
    *m_abandoned = true;
    WakeStatusWorker();
    m_thread.detach();
    plat::OutputDebugString("StatusWorker did not end in time; left to end on its own.\r\n");
    return false;
}

void StatusWorker::Run(std::shared_ptr<plat::MessageTarget> window,
                       std::shared_ptr<std::atomic<bool>> abandoned) {
    const auto keepRunning = [&] { return g_bWorkerRun.load() != 0 && !abandoned->load(); };
    // The count of writes is taken before the values are looked at, so a
    // write in between ends the wait that follows at once.
    for (std::uint64_t seen = WritesSoFar(); keepRunning(); seen = WritesSoFar()) {
        if (g_bPolling.load() != 0 && g_hMainWnd.load() == window.get()) {
            window->SendMessage(WM_STATUS_POLL, 0, 0);
            window->SendMessage(WM_AM_COUNTER_POLL, 0, 0);
            // The wait runs to a deadline on the steady clock, so the cycle
            // lasts the handling plus the wait; Status off or a stop ends it
            // as soon as it is written.
            const auto deadline =
                Clock::now() + std::chrono::milliseconds(CycleWaitMs(g_nSamplesPerSecond.load()));
            for (std::uint64_t writes = WritesSoFar();
                 Clock::now() < deadline && g_bPolling.load() != 0 && keepRunning();
                 writes = WritesSoFar())
                WaitForWrite(writes, deadline);
        } else {
            WaitForWrite(seen, Clock::now() + kIdleRecheck);
        }
    }
}

} // namespace vx::ui
