// The window program's record of its traffic with the unit. The port tap
// (TracedPort) reports every byte to it and the protocol object its trace
// breaks (it is the protocol object's monitor window, m_hTraceWnd); it
// turns them into lines of the traffic and
// - writes each one to the trace file of vx18d --trace FILE, from start-up,
//   when there is one;
// - keeps the last `capacity` of them in a ring while the traffic monitor
//   listens, counting those that fell out.
// With no trace file and nobody listening an exchange costs a test per byte
// and nothing else: no copy, no text, no lock.
//
// The exchanges run on the window's thread, or on the firmware load's
// worker while it runs, one at a time; the monitor reads the ring on the
// window's thread. The ring is guarded by a lock, the listener count is atomic.
#pragma once

#include "platform/MessageTarget.h"
#include "trace/ExchangeAssembler.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

namespace vx {

class TrafficLog : public ExchangeAssembler, public plat::MessageTarget {
public:
    static constexpr std::size_t kCapacity = 10000;

    // file may be null (no trace file); it must outlive the log.
    explicit TrafficLog(std::ostream* file, Clock clock = {}, std::size_t capacity = kCapacity);
    ~TrafficLog() override;
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    // A monitor starts or stops listening. While one listens, lines are kept
    // in the ring; when listening resumes over lines kept before, a note
    // marks the time nothing was kept.
    void Listen(bool on);
    bool Listening() const { return m_listeners.load() > 0; }

    struct Held {
        std::vector<std::shared_ptr<const TrafficEntry>> entries; // oldest first
        std::uint64_t firstHeld = 0; // sequence of the oldest line still in the ring
        std::uint64_t fellOut = 0;   // exchanges pushed out of the ring since the last Clear
    };
    // The lines in the ring from sequence number `from` on.
    Held Since(std::uint64_t from) const;
    // The sequence number the next line will get: it changes with every line kept.
    std::uint64_t NextSequence() const { return m_next.load(); }
    // Empties the ring and its count of exchanges that fell out.
    void Clear();

    // The protocol object's messages: trace breaks, and failures of the
    // settings store, which become a note. The per-byte trace messages are
    // not needed: the tap sees every byte.
    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam,
                              plat::LPARAM lParam) override;

protected:
    bool Recording() const override;
    void Emit(TrafficEntry&& entry) override;

private:
    void Keep(std::shared_ptr<TrafficEntry> entry);

    std::ostream* m_file;
    const std::size_t m_capacity;
    std::atomic<int> m_listeners{0};
    std::atomic<std::uint64_t> m_next{0};
    mutable std::mutex m_mutex;
    std::deque<std::shared_ptr<const TrafficEntry>> m_ring; // guarded by m_mutex
    std::uint64_t m_fellOut = 0;                            // guarded by m_mutex
};

} // namespace vx
