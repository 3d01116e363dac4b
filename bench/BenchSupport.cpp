#include "BenchSupport.h"

#include "platform/Clock.h"
#include "sim/Packet.h"

#include <algorithm>
#include <cstdio>

namespace vxbench {

double LineSeconds(std::uint64_t bytes, std::uint32_t baud) {
    return static_cast<double>(bytes) * 10.0 / static_cast<double>(baud);
}

std::uint64_t ExchangeLineBytes(const std::vector<std::vector<std::uint8_t>>& requests) {
    struct Reply {
        sim::PacketType type;
        std::uint64_t payload;
    };
    static constexpr Reply kReplies[] = {
        {sim::kLinkTest, 0},          {sim::kStatusPoll, 9},    {sim::kShortCommand, 4},
        {sim::kConfigurationWord, 0}, {sim::kFirmwareBlock, 0},
    };
    std::uint64_t bytes = 0;
    for (const auto& request : requests) {
        bytes += request.size() + sim::kHeaderSize;
        for (const Reply& reply : kReplies) {
            if (request.size() >= sim::kHeaderSize && request[2] == reply.type.first &&
                request[3] == reply.type.second)
                bytes += reply.payload;
        }
    }
    return bytes;
}

Timing TimeRuns(int runs, const std::function<bool()>& op) {
    Timing timing;
    op();
    double total = 0;
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = plat::TickUs();
        if (!op())
            ++timing.failures;
        const double seconds = static_cast<double>(plat::TickUs() - start) / 1e6;
        total += seconds;
        best = std::min(best, seconds);
    }
    timing.runs = runs;
    timing.meanSeconds = runs ? total / runs : 0;
    timing.minSeconds = runs ? best : 0;
    return timing;
}

void PrintRoundTrips(vx::CVX18D3_Comm& comm, std::uint32_t baud, int runs,
                     const std::string& route) {
    const Timing ping = TimeRuns(runs, [&] { return comm.Ping(0) && comm.m_nLastResult; });
    PrintRow(route.empty() ? "link test (6 + 6 bytes)" : "link test, " + route, baud, ping,
             LineSeconds(12, baud));

    const Timing shortCommand = TimeRuns(runs, [&] {
        vx::BYTE request[10] = {0, 0, 0x01, 0x10, 0, 0, 0x38, 0, 0, 0};
        vx::BYTE reply[10] = {};
        return comm.Transact(request, 4, reply, 4, 0) != 0;
    });
    PrintRow(route.empty() ? "short command (10 + 10 bytes)" : "short command, " + route, baud,
             shortCommand, LineSeconds(20, baud));
}

bool StartUnit(sim::SimulatedUnit& unit, const vxtest::IsolatedConfig& config) {
    if (unit.Start(config.PortsDir(), "COM7"))
        return true;
    std::fprintf(stderr, "simulated unit: %s\n", unit.LastError().c_str());
    return false;
}

bool LinkReady(vxtest::SimLink& link, std::uint32_t baud) {
    if (link.Ready())
        return true;
    std::printf("%u baud: the simulated unit did not answer (%s)\n", baud,
                link.Unit().LastError().c_str());
    return false;
}

void PrintHeader(const std::string& title) {
    std::printf("\n%s\n", title.c_str());
    std::printf("%-38s %8s %5s %11s %11s %11s %7s %s\n", "operation", "baud", "runs", "mean",
                "best", "line time", "ratio", "failed");
}

void PrintRow(const std::string& name, std::uint32_t baud, const Timing& timing,
              double lineSeconds) {
    auto ms = [](double s) { return s * 1000.0; };
    std::printf("%-38s %8u %5d %9.3f ms %9.3f ms %9.3f ms %7.2f %d\n", name.c_str(), baud,
                timing.runs, ms(timing.meanSeconds), ms(timing.minSeconds), ms(lineSeconds),
                lineSeconds > 0 ? timing.meanSeconds / lineSeconds : 0.0, timing.failures);
    std::fflush(stdout);
}

} // namespace vxbench
