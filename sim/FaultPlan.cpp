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

ShapedReply ApplyFaults(FaultPlan& plan, std::vector<std::uint8_t> reply) {
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
    if (Take(plan.wrongHeaders) && reply.size() > 2) {
        reply[2] = static_cast<std::uint8_t>(~reply[2]);
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
    out.bytes = std::move(reply);
    return out;
}

} // namespace sim
