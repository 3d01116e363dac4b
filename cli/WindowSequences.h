// The exchange sequences of the window, over the protocol object's public
// operations, so that each command sends what the window sends for the same
// thing, in the same order:
//
// - StartUp: the main window's initial read-out (ReadDeviceConfiguration,
//   ReadCompanionBoardFlag, trace break);
// - SetupPageInit: a receiver setup page's initial read-back (groups 0 to 5,
//   trace break);
// - RefClkPageInit: the reference clock page's start (serial number and
//   identity, switches and discretes, trace break);
// - RefreshFromUnit: the reference clock page's reads when its tab is
//   selected, stopping at the first failure;
// - StatusPoll: one cycle of the status worker: the status poll and the AM
//   counter poll as the main window handles them;
// - FirmwareLoadAllowed: the communications page's gate on the firmware load.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vx::cli {

// A receiver has a setup page (is fitted) when one of its bands has limits.
bool ReceiverFitted(const CVX18D3_Comm& comm, unsigned receiver);

void StartUp(CVX18D3_Comm& comm);
// False when the unit's firmware is too old to report a receiver's settings.
bool SetupPageInit(CVX18D3_Comm& comm, unsigned receiver);
void RefClkPageInit(CVX18D3_Comm& comm);
// The whole start of the window: StartUp, the page of every fitted
// receiver, the reference clock page.
void WindowStart(CVX18D3_Comm& comm);
bool RefreshFromUnit(CVX18D3_Comm& comm);

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
        std::optional<std::uint32_t> amCounterHz; // only where the window asks for it
    };
    std::array<Receiver, 2> receivers{};
};

StatusSample StatusPoll(CVX18D3_Comm& comm);

// The firmware controls of the communications page are enabled: the link
// answered, and a unit with the companion board runs firmware of
// 2014-03-20 or later (its identity is read first when not yet known).
bool FirmwareLoadAllowed(CVX18D3_Comm& comm);

inline constexpr std::uint32_t kFirmwareLoadCompanionDate = 0x20140320;

} // namespace vx::cli
