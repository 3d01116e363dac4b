#include "trace/TrafficLog.h"

#include "platform/SystemMessage.h"
#include "protocol/CVX18D3_Comm.h"
#include "trace/TrafficLine.h"

#include <utility>

namespace vx {

TrafficLog::TrafficLog(std::ostream* file, Clock clock, std::size_t capacity)
    : ExchangeAssembler(std::move(clock)), m_file(file), m_capacity(capacity) {}

TrafficLog::~TrafficLog() {
    // A reply still awaited at the end goes into the file as it stands.
    Flush();
}

void TrafficLog::Listen(bool on) {
    if (!on) {
        m_listeners.fetch_sub(1);
        return;
    }
    if (m_listeners.fetch_add(1) > 0)
        return;
    bool resumed = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        resumed = !m_ring.empty();
    }
    if (resumed) {
        auto note = std::make_shared<TrafficEntry>();
        note->kind = TrafficEntry::Kind::note;
        note->atUs = Now();
        note->note = "(the monitor was closed: traffic from then to now was not kept)";
        Keep(std::move(note));
    }
}

bool TrafficLog::Recording() const {
    return m_file || m_listeners.load(std::memory_order_relaxed) > 0;
}

void TrafficLog::Emit(TrafficEntry&& entry) {
    if (m_file)
        *m_file << FormatTrafficLine(entry) << '\n' << std::flush;
    if (m_listeners.load(std::memory_order_relaxed) > 0)
        Keep(std::make_shared<TrafficEntry>(std::move(entry)));
}

void TrafficLog::Keep(std::shared_ptr<TrafficEntry> entry) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    entry->sequence = m_next.load();
    m_ring.push_back(std::move(entry));
    while (m_ring.size() > m_capacity) {
        if (m_ring.front()->kind == TrafficEntry::Kind::exchange)
            ++m_fellOut;
        m_ring.pop_front();
    }
    // Last, so that a reader that sees the new number finds the line.
    m_next.fetch_add(1);
}

TrafficLog::Held TrafficLog::Since(std::uint64_t from) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    Held held;
    held.fellOut = m_fellOut;
    held.firstHeld = m_ring.empty() ? m_next.load() : m_ring.front()->sequence;
    const std::uint64_t skip = from > held.firstHeld ? from - held.firstHeld : 0;
    if (skip < m_ring.size())
        held.entries.assign(m_ring.begin() + static_cast<std::ptrdiff_t>(skip), m_ring.end());
    return held;
}

void TrafficLog::Clear() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_ring.clear();
    m_fellOut = 0;
}

plat::LRESULT TrafficLog::SendMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM) {
    if (message == WM_TRACE_BREAK) {
        Break();
    } else if (message == WM_REGISTRY_ERROR) {
        const auto code = static_cast<plat::DWORD>(wParam);
        Note("settings store: Operation returned:" + std::to_string(code) +
             ", Meaning: " + plat::TrimRight(plat::FormatSystemMessage(code)));
    }
    return 0;
}

} // namespace vx
