#include "trace/TrafficLine.h"

#include "trace/PacketText.h"

namespace vx {
namespace {

constexpr std::size_t kTimeWidth = 10;
constexpr const char* kSeparator = " | ";

std::string TimeColumn(std::int64_t microseconds) {
    std::string text = MillisecondsText(microseconds);
    if (text.size() < kTimeWidth)
        text.insert(0, kTimeWidth - text.size(), ' ');
    return text;
}

} // namespace

std::string MillisecondsText(std::int64_t microseconds) {
    // Rounded to the nearest tenth.
    const bool negative = microseconds < 0;
    const std::int64_t tenths = ((negative ? -microseconds : microseconds) + 50) / 100;
    return (negative ? "-" : "") + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string FaultText(const TrafficEntry& entry) {
    if (entry.kind != TrafficEntry::Kind::exchange)
        return {};
    switch (entry.outcome) {
    case TrafficEntry::Outcome::complete:
        return {};
    case TrafficEntry::Outcome::noReply:
        return "NO REPLY";
    case TrafficEntry::Outcome::shortReply:
        return "SHORT REPLY: " + std::to_string(entry.reply.size()) + " of " +
               std::to_string(entry.expectedReply) + " bytes";
    case TrafficEntry::Outcome::notWritten:
        return "NOT WRITTEN";
    }
    return {};
}

std::string StaleText(const TrafficEntry& entry) {
    if (entry.staleBefore == 0)
        return {};
    return std::to_string(entry.staleBefore) +
           (entry.staleBefore == 1 ? " stale byte" : " stale bytes") + " discarded before it";
}

std::string FellOutText(std::uint64_t count) {
    return "(" + std::to_string(count) + (count == 1 ? " earlier exchange" : " earlier exchanges") +
           " fell out of the monitor's memory)";
}

std::string FormatTrafficLine(const TrafficEntry& entry) {
    std::string line = TimeColumn(entry.atUs) + kSeparator;
    switch (entry.kind) {
    case TrafficEntry::Kind::actionBreak:
        return line + kActionBreakText;
    case TrafficEntry::Kind::note:
        return line + entry.note;
    case TrafficEntry::Kind::exchange:
        break;
    }
    line += HexBytes(entry.request) + kSeparator;
    line += entry.reply.empty() ? std::string("-") : HexBytes(entry.reply);
    line += kSeparator + MillisecondsText(entry.replyUs) + " ms" + kSeparator;
    line += DescribePacket(entry);
    for (const std::string& extra : {FaultText(entry), StaleText(entry)}) {
        if (!extra.empty())
            line += kSeparator + extra;
    }
    return line;
}

} // namespace vx
