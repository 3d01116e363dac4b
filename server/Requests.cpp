#include "server/Requests.h"

#include <array>
#include <cstdio>

namespace vx::server {
namespace {

struct Shape {
    std::uint8_t type1;
    std::uint8_t type2;
    RequestKind kind;
    std::size_t leastPayload;
    std::size_t mostPayload;
    std::size_t replyPayload;
};

constexpr std::array<Shape, 5> kShapes{{
    {0x00, 0x00, RequestKind::LinkTest, 0, 0, 0},
    {0x00, 0x20, RequestKind::StatusPoll, 0, 0, 9},
    {0x01, 0x10, RequestKind::ShortCommand, 4, 4, 4},
    {0x00, 0x10, RequestKind::ConfigurationWord, 8, 8, 0},
    {0x20, 0x10, RequestKind::FirmwareBlock, 1, kLongestRequestPayload, 0},
}};

constexpr std::uint8_t kRegisterCommand = 0x10;
constexpr std::uint8_t kPageSelectLimit = 0x40;
constexpr std::uint8_t kCommitCommand = 0x98;
constexpr std::uint8_t kCommitConfirm = 0xFF;
constexpr std::uint8_t kReceiverBit = 0x01;

const Shape* ShapeOf(std::uint8_t type1, std::uint8_t type2) {
    for (const Shape& shape : kShapes) {
        if (shape.type1 == type1 && shape.type2 == type2)
            return &shape;
    }
    return nullptr;
}

std::string Byte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

Bytes ShortCommand(std::uint8_t command, std::uint8_t a1) {
    return {kStartByte, 0x00, 0x01, 0x10, 0x04, 0x00, command, a1, 0x00, 0x00};
}

// Command byte and first argument of a short command.
std::optional<std::pair<std::uint8_t, std::uint8_t>> ShortArguments(const Request& request) {
    if (request.kind != RequestKind::ShortCommand || request.bytes.size() < kHeaderLength + 2)
        return std::nullopt;
    return std::pair{request.bytes[kHeaderLength], request.bytes[kHeaderLength + 1]};
}

} // namespace

HeaderVerdict CheckHeader(std::span<const std::uint8_t> header) {
    HeaderVerdict verdict;
    if (!header.empty() && header[0] != kStartByte) {
        verdict.refusal = "start byte " + Byte(header[0]) + ", not " + Byte(kStartByte);
        return verdict;
    }
    if (header.size() > 1 && header[1] != 0x00) {
        verdict.refusal = "reserved byte " + Byte(header[1]) + ", not 0x00";
        return verdict;
    }
    if (header.size() < 4)
        return verdict;
    const Shape* shape = ShapeOf(header[2], header[3]);
    if (!shape) {
        verdict.refusal =
            "packet type " + Byte(header[2]) + " " + Byte(header[3]) + ", which no request has";
        return verdict;
    }
    if (header.size() < kHeaderLength)
        return verdict;
    const std::size_t payload = header[4] | std::size_t{header[5]} << 8;
    if (payload < shape->leastPayload || payload > shape->mostPayload) {
        verdict.refusal =
            "payload length " + std::to_string(payload) + " for packet type " + Byte(header[2]) +
            " " + Byte(header[3]) + ", which takes " + std::to_string(shape->leastPayload) +
            (shape->mostPayload != shape->leastPayload ? " to " + std::to_string(shape->mostPayload)
                                                       : std::string());
        return verdict;
    }
    verdict.length = kHeaderLength + payload;
    return verdict;
}

Request MakeRequest(Bytes packet) {
    const Shape* shape = ShapeOf(packet[2], packet[3]);
    Request request;
    request.kind = shape->kind;
    request.replyLength = kHeaderLength + shape->replyPayload;
    request.bytes = std::move(packet);
    return request;
}

int TimeoutFactor(RequestKind kind) {
    return kind == RequestKind::ConfigurationWord ? 10 : 1;
}

std::optional<RegisterAccess> RegisterAccessOf(const Request& request) {
    const auto args = ShortArguments(request);
    if (!args || (args->first & ~kReceiverBit) != kRegisterCommand)
        return std::nullopt;
    RegisterAccess access;
    access.receiver = args->first & kReceiverBit;
    access.selectsPage = args->second < kPageSelectLimit;
    if (access.selectsPage)
        access.page = args->second;
    return access;
}

Request PageSelection(int receiver, std::uint8_t page) {
    return MakeRequest(ShortCommand(
        static_cast<std::uint8_t>(kRegisterCommand | (receiver & kReceiverBit)), page));
}

bool IsFirmwareCommit(const Request& request) {
    const auto args = ShortArguments(request);
    return args && (args->first & ~kReceiverBit) == kCommitCommand &&
           args->second == kCommitConfirm;
}

Request LinkTest() {
    return MakeRequest({kStartByte, 0x00, 0x00, 0x00, 0x00, 0x00});
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

} // namespace vx::server
