// The read-outs that the window makes and every other front end repeats, each
// one block of exchanges in the window's order, over the protocol object's
// public operations. The window's pages call them and then show what they
// left in the cache; vx18dctl and the unit server call the same blocks, so
// each front end sends what the window sends for the same thing.
//
// - StartUpReadout: the main window's initial read-out;
// - SetupPageReadback: a receiver setup page's initial read-back;
// - TuningReadback: the part of it that chooses the RSSI calibration;
// - RefClkPageReadout: the reference clock page's start (serial number and
//   identity, switches and discretes);
// - RefClkRefreshReads: the reference clock page's reads when its tab is
//   selected, stopping at the first failure;
// - FirmwareLoadAllowed: the communications page's gate on the firmware load.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <cstdint>
#include <string>

namespace vx {

// A receiver has a setup page (is fitted) when one of its bands has limits.
bool ReceiverFitted(const CVX18D3_Comm& comm, unsigned receiver);

// The unit's configuration (about 250 exchanges), the companion board flag,
// trace break.
void StartUpReadout(CVX18D3_Comm& comm);

// Read-back groups 0 to 5 of one receiver, trace break. False when a group
// was not read (a unit whose firmware is too old to report them).
bool SetupPageReadback(CVX18D3_Comm& comm, unsigned receiver);

// The serial number (returned as the page shows it), the identity when not
// yet known, the switches and discretes, trace break.
std::string RefClkPageReadout(CVX18D3_Comm& comm);

// Attenuators, switches and discretes, temperature, supply voltage and supply
// current ranges, each with the trace flag on; the reads stop at the first
// failure. True when all of them succeeded.
bool RefClkRefreshReads(CVX18D3_Comm& comm);

// What the window's pages read when they open: the read-back of every
// fitted receiver, the reference clock page's read-out.
void WindowPagesReadout(CVX18D3_Comm& comm);

// The whole start of the window: the start-up read-out and the pages'.
void WindowStartReadout(CVX18D3_Comm& comm);

// What the live RSSI depends on besides the calibration: read-back groups 0
// and 1 (the unit's band field and the tuned frequency, which choose the
// band whose calibration applies) of every fitted receiver, trace break.
// False when a group was not read (firmware too old to report them).
bool TuningReadback(CVX18D3_Comm& comm);

// The firmware controls of the communications page are enabled: the link
// answered, and a unit with the companion board runs firmware of
// 2014-03-20 or later (its identity is read first when not yet known).
bool FirmwareLoadAllowed(CVX18D3_Comm& comm);

inline constexpr std::uint32_t kFirmwareLoadCompanionDate = 0x20140320;

} // namespace vx
