#include "sim/FaultPlan.h"

#include <algorithm>

namespace sim {

namespace {
// Uses up one count of a fault; true when it was armed.
bool Take(int& count) {
    if (count <= 0) {
        return false;
    }
    --count;
    return true;
}
} // namespace

std::vector<std::uint8_t> GarbageBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = 0x9E3779B9u; // xorshift32: fixed, so a run can be repeated
    for (std::uint8_t& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

ShapedReply ApplyFaults(FaultPlan& plan, std::vector<std::uint8_t> reply,
                        std::span<const std::uint8_t> previous) {
    ShapedReply out;
    if (plan.answersLeft && *plan.answersLeft <= 0) {
        out.silent = true;
        return out;
    }
    if (Take(plan.untouched)) {
        if (plan.answersLeft) {
            --*plan.answersLeft;
        }
        out.bytes = std::move(reply);
        return out;
    }
    if (Take(plan.noAnswer)) {
        out.silent = true;
        return out;
    }
    if (plan.answersLeft) {
        --*plan.answersLeft;
    }
    if (!previous.empty() && Take(plan.replays)) {
        reply.assign(previous.begin(), previous.end());
    }
    if (Take(plan.garbageReplies)) {
        reply = GarbageBytes(plan.garbageLength);
    }
    if (Take(plan.wrongHeaders) && reply.size() > 2) {
        reply[2] = static_cast<std::uint8_t>(~reply[2]);
    }
    if (Take(plan.corruptReplies) && !reply.empty()) {
        const std::size_t at = std::min(plan.corruptIndex, reply.size() - 1);
        reply[at] = static_cast<std::uint8_t>(~reply[at]);
    }
    if (Take(plan.shortReplies)) {
        reply.resize(reply.size() - std::min(plan.bytesMissing, reply.size()));
    }
    if (Take(plan.surplusReplies)) {
        reply.insert(reply.end(), plan.surplusBytes.begin(), plan.surplusBytes.end());
    }
    if (Take(plan.lateAnswers)) {
        out.extraDelay = plan.lateDelay;
    }
    if (Take(plan.stalls)) {
        out.stallAfter = plan.stallDuration;
    }
    out.bytes = std::move(reply);
    return out;
}

} // namespace sim
