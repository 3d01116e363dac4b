#include "ui/main/StatusWorker.h"

#include "platform/Clock.h"
#include "platform/DebugOutput.h"

#include <pthread.h>

namespace vx::ui {

std::atomic<int> g_bWorkerRun{1};
std::atomic<int> g_bPolling{0};
std::atomic<int> g_bRecording{0};
std::atomic<plat::HWND> g_hMainWnd{nullptr};
std::atomic<std::uint32_t> g_nSamplesPerSecond{kDefaultSamplesPerSecond};

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
    m_thread.detach();
    plat::OutputDebugString("StatusWorker did not end in time; left to end on its own.\r\n");
    return false;
}

void StatusWorker::Run(std::shared_ptr<plat::MessageTarget> window,
                       std::shared_ptr<std::atomic<bool>> abandoned) {
    const auto keepRunning = [&] { return g_bWorkerRun.load() != 0 && !abandoned->load(); };
    while (keepRunning()) {
        if (g_bPolling.load() != 0 && g_hMainWnd.load() == window.get()) {
            window->SendMessage(WM_STATUS_POLL, 0, 0);
            window->SendMessage(WM_AM_COUNTER_POLL, 0, 0);
            // The wait runs against the clock in 1 ms steps: Status off ends
            // it within about 1 ms, and the overshoot of the single sleeps
            // does not add up over the wait.
            const std::int64_t deadline = plat::TickMs() + CycleWaitMs(g_nSamplesPerSecond.load());
            while (plat::TickMs() < deadline && g_bPolling.load() != 0 && keepRunning())
                plat::Sleep(1);
        } else {
            for (int i = 0; i < 250; ++i) {
                plat::Sleep(1);
                if (!keepRunning())
                    return;
            }
        }
    }
}

} // namespace vx::ui
