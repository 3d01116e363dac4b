// The faults of the simulated unit as vx18d-sim takes them on its command
// line: "--fault KIND[:VALUE][@EVERY]", for instance late:450 (the next
// answer comes 450 ms late) or corrupt:7@20 (byte 7 of every 20th answer is
// inverted). One table lists the kinds for the parser, the help text and the
// arming.
#pragma once

#include <optional>
#include <string>

namespace sim {

class SimulatedUnit;

struct FaultSpec {
    std::string kind;
    int value = 0; // the kind's value; 0 for a kind without one
    int every = 0; // 0: once, on the next answered exchange; N: every N-th answered exchange
};

// Parses one fault; on failure returns nothing and says why in error.
std::optional<FaultSpec> ParseFault(const std::string& text, std::string& error);

// The known kinds, one line each, for the program's help text.
std::string FaultHelp();

// Arms the fault on the unit: at once, or before every `every`-th answer.
void ArmFault(SimulatedUnit& unit, const FaultSpec& fault);

} // namespace sim
