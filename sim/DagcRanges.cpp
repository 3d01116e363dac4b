#include "sim/DagcRanges.h"

namespace sim {

std::optional<DagcRange> FindDagcRange(std::uint8_t code) {
    for (const DagcRange& r : kDagcRanges) {
        if (r.code == code) {
            return r;
        }
    }
    return std::nullopt;
}

std::uint8_t DagcRangeCodeFor(std::int8_t startVoltage, std::int8_t endVoltage) {
    for (const DagcRange& r : kDagcRanges) {
        if (r.startVoltage == startVoltage && r.endVoltage == endVoltage) {
            return r.code;
        }
    }
    return kProgrammedDagcRangeCode;
}

} // namespace sim
