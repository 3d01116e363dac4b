// The numbers of the live status display and of the RSSI record file: the
// conversion of a raw RSSI word into dBm, the bar position, and the texts.
// Texts always use a decimal point, whatever the desktop's language, so that
// the record file reads the same everywhere.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace vx {

class CVX18D3_Comm;

inline constexpr int kRssiBarLowest = -110;
inline constexpr int kRssiBarHighest = 10;

// dBm = slope x raw + offset with the calibration of the receiver's RSSI
// band; a band number of 4 or more uses band 0.
double RssiDbm(const CVX18D3_Comm& comm, plat::UINT receiver, plat::WORD rawRssi);

// The bar position for a level: truncated toward zero and held within the
// bar's range.
int RssiBarPosition(double dbm);

// The AM counter reads something meaningful only from an AM index of 10 % on
// a carrier above -100 dBm.
bool AmCounterWanted(std::uint8_t amIndex, double rssiDbm);

// One line of the record file: "%u, %f, %f, " and CR LF.
std::string FormatRecordLine(std::uint32_t sample, double rssi1Dbm, double rssi2Dbm);

} // namespace vx
