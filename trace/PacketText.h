// The packets of the traffic in words: what a request asks of the unit
// (link test, status poll, a short command with its name, receiver and
// arguments, a configuration word with its fields, a firmware block with its
// number and size) and, where a read answers with a value, that value.
#pragma once

#include "trace/TrafficEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

// Two upper-case hexadecimal digits a byte, separated by single spaces.
std::string HexBytes(const std::vector<std::uint8_t>& bytes);

// Reply length (header included) that a request of this packet type gets.
std::size_t ReplyLength(std::uint8_t type1, std::uint8_t type2);

// The exchange's request in words, with the value a complete reply to a read
// carries: "register rx1: read 52 = 0x0012".
std::string DescribePacket(const TrafficEntry& exchange);

// The status worker's traffic: a status poll or an AM counter query.
bool IsPollTraffic(const TrafficEntry& exchange);

} // namespace vx
