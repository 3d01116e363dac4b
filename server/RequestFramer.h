// Cuts one client's byte stream into whole requests. The header says how
// long a request is; a header that no request can have is refused as soon as
// its bytes show it, and the stream is of no further use then (there is no
// start byte to hunt for that could not also be payload).
#pragma once

#include "server/Requests.h"

#include <span>
#include <string>
#include <vector>

namespace vx::server {

class RequestFramer {
public:
    struct Fed {
        std::vector<Request> requests; // completed, in order
        std::string refusal;           // non-empty: the stream broke the framing here
        Bytes refusedHeader;           // the header bytes that were refused
    };

    Fed Feed(std::span<const std::uint8_t> bytes);

    // Bytes of a request not yet complete.
    std::size_t PendingBytes() const { return m_pending.size(); }
    void DropPending() { m_pending.clear(); }

private:
    Bytes m_pending;
    std::size_t m_length = 0; // of the pending request, once its header is known
};

} // namespace vx::server
