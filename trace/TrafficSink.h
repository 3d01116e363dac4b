// What a port tap reports of the traffic through it, in the order it
// happens: each request just before it is written, whether the port took
// it, each reply byte and each read that delivered none, stale input
// discarded before a request, and the protocol object's trace break after
// the exchanges of one operator action.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx {

class TrafficSink {
public:
    virtual ~TrafficSink() = default;

    virtual void Request(const std::uint8_t* data, std::size_t length) = 0;
    virtual void RequestNotWritten() = 0;
    virtual void ReplyByte(std::uint8_t value) = 0;
    virtual void ReadMissed() = 0;
    virtual void Drained(std::size_t count) = 0;
    virtual void Break() = 0;
};

} // namespace vx
