#include "server/RequestFramer.h"

#include <algorithm>

namespace vx::server {

RequestFramer::Fed RequestFramer::Feed(std::span<const std::uint8_t> bytes) {
    Fed fed;
    while (!bytes.empty()) {
        if (m_length == 0) {
            // Header bytes one at a time, so that a bad one is caught before
            // anything after it is taken.
            m_pending.push_back(bytes.front());
            bytes = bytes.subspan(1);
            const HeaderVerdict verdict = CheckHeader(m_pending);
            if (!verdict.refusal.empty()) {
                fed.refusal = verdict.refusal;
                fed.refusedHeader = std::move(m_pending);
                m_pending.clear();
                return fed;
            }
            m_length = verdict.length;
        } else {
            const std::size_t take = std::min(bytes.size(), m_length - m_pending.size());
            m_pending.insert(m_pending.end(), bytes.begin(), bytes.begin() + take);
            bytes = bytes.subspan(take);
        }
        if (m_length != 0 && m_pending.size() == m_length) {
            fed.requests.push_back(MakeRequest(std::move(m_pending)));
            m_pending.clear();
            m_length = 0;
        }
    }
    return fed;
}

} // namespace vx::server
