// Faults a test arms on the simulated unit. Each kind has its own count and
// is used up by the next exchanges that get an answer; requests the unit does
// not understand go unanswered anyway and use up nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
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

    std::optional<int> answersLeft; // after this many answers the unit goes silent

    int untouched = 0; // answers that go out as they are before the faults above apply

    bool Empty() const {
        return noAnswer == 0 && lateAnswers == 0 && shortReplies == 0 && surplusReplies == 0 &&
               wrongHeaders == 0 && !answersLeft;
    }
};

struct ShapedReply {
    std::vector<std::uint8_t> bytes;         // what goes on the line
    std::chrono::milliseconds extraDelay{0}; // on top of the line timing
    bool silent = false;                     // nothing goes on the line
};

// Shapes one reply by the armed faults and uses them up.
ShapedReply ApplyFaults(FaultPlan& plan, std::vector<std::uint8_t> reply);

} // namespace sim
