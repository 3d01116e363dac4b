// The unit's end of the server: the line to one unit, as the port thread
// uses it. The serial port implements it (SerialUnitLink); tests may put
// anything that answers like a unit behind it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vx::server {

class UnitLink {
public:
    enum class ReadResult { Byte, Nothing, Failed };

    virtual ~UnitLink() = default;

    // Opens the line; false with the reason when it cannot be opened.
    virtual bool Open(std::string& reason) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The name of the line for log lines ("COM7").
    virtual std::string Name() const = 0;

    // Drops the input that is already waiting, without waiting for more.
    virtual void DiscardInput() = 0;
    // Writes the whole request; false when the line failed.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Reads one byte, waiting at most a short step (kReadStepMs); Failed
    // when the line is gone.
    virtual ReadResult ReadByte(std::uint8_t& out) = 0;

    // The longest a ReadByte waits: it bounds how late a deadline is noticed.
    static constexpr int kReadStepMs = 10;
};

} // namespace vx::server
