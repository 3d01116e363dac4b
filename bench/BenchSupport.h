// Shared pieces of the benchmarks: line time of a number of bytes at a rate,
// and a timing loop over repeated exchanges.
#pragma once

#include "support/SimLink.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vxbench {

// Seconds that count bytes take on the line at baud, 10 bits a byte
// (8 data bits, no parity, 1 stop bit).
double LineSeconds(std::uint64_t bytes, std::uint32_t baud);

struct Timing {
    int runs = 0;
    int failures = 0;
    double meanSeconds = 0; // wall time per run
    double minSeconds = 0;
};

// Bytes on the line for these requests (as the simulated unit logs them)
// and the unit's replies to them: each reply is the header and the fixed
// payload of its packet type.
std::uint64_t ExchangeLineBytes(const std::vector<std::vector<std::uint8_t>>& requests);

// Runs op repeatedly (once untimed to warm up) and times each run.
Timing TimeRuns(int runs, const std::function<bool()>& op);

// Prints one result line: name, rate, mean and best time, line time, ratio.
void PrintRow(const std::string& name, std::uint32_t baud, const Timing& timing,
              double lineSeconds);

void PrintHeader(const std::string& title);

// Times runs link tests (6 + 6 bytes) and runs short commands (10 + 10
// bytes, reading the AM counter) and prints a row for each, named after the
// route when one is given.
void PrintRoundTrips(vx::CVX18D3_Comm& comm, std::uint32_t baud, int runs,
                     const std::string& route);

// Starts the simulated unit as COM7 in the isolated folders; otherwise says why.
bool StartUnit(sim::SimulatedUnit& unit, const vxtest::IsolatedConfig& config);

// True when the link to the simulated unit is up; otherwise says why.
bool LinkReady(vxtest::SimLink& link, std::uint32_t baud);

} // namespace vxbench
