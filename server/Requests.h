// What the unit server knows of the unit's packets: the request types with
// the payload lengths each may carry and the fixed length of the reply each
// gets, and the few requests whose effect on the unit outlasts their
// exchange (register page selection, the firmware load).
//
// A packet is 0x27 0x00, two packet-type bytes, a 16-bit little-endian
// payload length and the payload; no checksum, no escaping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vx::server {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kStartByte = 0x27;
inline constexpr std::size_t kHeaderLength = 6;
// The longest request payload: a firmware block.
inline constexpr std::size_t kLongestRequestPayload = 128;

enum class RequestKind { LinkTest, StatusPoll, ShortCommand, ConfigurationWord, FirmwareBlock };

struct Request {
    RequestKind kind = RequestKind::LinkTest;
    Bytes bytes;                 // the whole packet, header included
    std::size_t replyLength = 0; // the whole reply, header included
};

// What a complete header says: the request's whole length, or why no
// request can start like this ("start byte 0x41, not 0x27"). Looks only at
// the bytes present, so a header can be refused before it is complete.
struct HeaderVerdict {
    std::size_t length = 0; // 0 while the header is incomplete or refused
    std::string refusal;
};
HeaderVerdict CheckHeader(std::span<const std::uint8_t> header);

// A complete packet that CheckHeader accepted, as a request.
Request MakeRequest(Bytes packet);

// The unit is given this many reply time-outs to answer (the receiver
// configuration word takes ten).
int TimeoutFactor(RequestKind kind);

// Register access: short command 0x10 with the receiver in bit 0; argument
// byte 7 below 0x40 selects a page, 0x40 | register reads, 0x80 | register
// writes, on the page the receiver has selected.
struct RegisterAccess {
    int receiver = 0;
    bool selectsPage = false;
    std::uint8_t page = 0; // when selectsPage
};
std::optional<RegisterAccess> RegisterAccessOf(const Request& request);
Request PageSelection(int receiver, std::uint8_t page);

// The commit that ends a firmware load (short command 0x98, argument 0xFF):
// the unit then programs its flash.
bool IsFirmwareCommit(const Request& request);

Request LinkTest();

// "27 00 01 10 04 00 10 74 00 00", for log lines.
std::string HexText(std::span<const std::uint8_t> bytes);

} // namespace vx::server
