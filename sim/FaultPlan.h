// Faults a test arms on the simulated unit. Each kind has its own count and
// is used up by the next exchanges that get an answer; requests the unit does
// not understand go unanswered anyway and use up nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

struct FaultPlan {
    int noAnswer = 0; // replies withheld

    int lateAnswers = 0; // replies held back as a whole
    std::chrono::milliseconds lateDelay{0};

    int shortReplies = 0; // replies cut short by bytesMissing from the end
    std::size_t bytesMissing = 0;

    int surplusReplies = 0; // replies followed by extra bytes
    std::vector<std::uint8_t> surplusBytes;

    int wrongHeaders = 0; // replies whose packet-type byte (byte 2) is inverted

    int corruptReplies = 0;       // replies with one byte inverted:
    std::size_t corruptIndex = 0; // this one, or the last when the reply is shorter

    // Replies replaced by the reply to the request before (the unit answers
    // out of turn); used up only once there was an earlier reply.
    int replays = 0;

    int garbageReplies = 0; // replies replaced by a stream of meaningless bytes
    std::size_t garbageLength = 0;

    int stalls = 0; // after the reply the unit stops reading the line for a while
    std::chrono::milliseconds stallDuration{0};

    std::optional<int> answersLeft; // after this many answers the unit goes silent

    int untouched = 0; // answers that go out as they are before the faults above apply

    bool Empty() const {
        return noAnswer == 0 && lateAnswers == 0 && shortReplies == 0 && surplusReplies == 0 &&
               wrongHeaders == 0 && corruptReplies == 0 && replays == 0 && garbageReplies == 0 &&
               stalls == 0 && !answersLeft;
    }
};

struct ShapedReply {
    std::vector<std::uint8_t> bytes;         // what goes on the line
    std::chrono::milliseconds extraDelay{0}; // on top of the line timing
    std::chrono::milliseconds stallAfter{0}; // the unit reads nothing for this long afterwards
    bool silent = false;                     // nothing goes on the line
};

// Shapes one reply by the armed faults and uses them up. previous is the
// unit's reply to the request before, as the model gave it (empty when there
// was none).
ShapedReply ApplyFaults(FaultPlan& plan, std::vector<std::uint8_t> reply,
                        std::span<const std::uint8_t> previous = {});

// count bytes that look like nothing the unit sends, the same for the same count.
std::vector<std::uint8_t> GarbageBytes(std::size_t count);

} // namespace sim
