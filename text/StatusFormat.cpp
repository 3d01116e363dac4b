#include "text/StatusFormat.h"

#include "protocol/CVX18D3_Comm.h"
#include "text/NumberText.h"

#include <algorithm>
#include <cmath>

namespace vx {

double RssiDbm(const CVX18D3_Comm& comm, plat::UINT receiver, plat::WORD rawRssi) {
    const plat::UINT rx = ReceiverIndex(receiver);
    plat::DWORD band = comm.m_nRssiBand[rx];
    if (band >= 4)
        band = 0;
    return comm.m_fRssiSlope[rx][band] * rawRssi + comm.m_fRssiOffset[rx][band];
}

int RssiBarPosition(double dbm) {
    if (std::isnan(dbm))
        return kRssiBarLowest;
    const double truncated = std::trunc(dbm);
    return static_cast<int>(std::clamp(truncated, double{kRssiBarLowest}, double{kRssiBarHighest}));
}

bool AmCounterWanted(std::uint8_t amIndex, double rssiDbm) {
    return amIndex >= 10 && rssiDbm > -100.0;
}

std::string FormatRecordLine(std::uint32_t sample, double rssi1Dbm, double rssi2Dbm) {
    return std::to_string(sample) + ", " + FormatDouble(rssi1Dbm, 6) + ", " +
           FormatDouble(rssi2Dbm, 6) + ", \r\n";
}

} // namespace vx
