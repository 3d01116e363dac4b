// One cycle of the status worker as the main window handles it: the status
// poll (message 1027) and then the AM counter poll (message 1028). The window
// shows what they return; vx18dctl prints and records it; the unit server's
// metrics report it.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vx {

// What one status cycle shows.
struct StatusSample {
    bool ok = false; // the status exchange succeeded
    bool pllSynchronised = false;
    bool internalReference = false;
    std::array<std::uint32_t, 4> idLeds{}; // 0 none, 1 off, 2 on
    struct Receiver {
        bool fitted = false; // the window shows only receivers with a page
        std::uint16_t rawRssi = 0;
        double rssiDbm = 0.0; // 0.0 for a receiver without a page, as recorded
        std::uint8_t amIndex = 0;
        std::uint8_t fmDeviation = 0;
        bool lo1Locked = false;
        bool lo2Locked = false;
        bool agcZero = false;
        // The unit switched AGC zero by itself: the cache now follows it, and
        // the receiver's DAGC ranges are worth reading again.
        bool agcZeroChanged = false;
        std::optional<std::uint32_t> amCounterHz; // only where the window asks for it
    };
    std::array<Receiver, 2> receivers{};
};

// Which receivers are shown: those with a setup page.
using ShownReceivers = std::array<bool, 2>;

// The status poll: the status exchange, the numbers of the shown receivers
// (RSSI through the receiver's band calibration), the cache's AGC zero
// brought in line with what the unit reports, trace break.
StatusSample PollStatus(CVX18D3_Comm& comm, const ShownReceivers& shown);

// The AM counter poll: each shown receiver whose last status makes the
// counter meaningful is asked for its frequency, trace break.
void PollAmCounters(CVX18D3_Comm& comm, StatusSample& sample);

// Both polls of one cycle, for the receivers that have band limits.
StatusSample StatusCycle(CVX18D3_Comm& comm);

} // namespace vx
