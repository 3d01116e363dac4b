// A copy of a unit's fixed tables kept between runs, so that a front end
// that starts often (vx18dctl) reads the unit's calibration once rather than
// at every start.
//
// What the start-up read-out fills falls in two parts. The fixed tables come
// from the factory and change only with the firmware: band limits, RSSI
// calibration and linearisation lock-out of each band, the IF bandwidth,
// video filter, AGC time constant and AM filter tables, and whether an RF
// switch is fitted. They are kept in one file per unit, named and headed by
// the unit's serial number and firmware date. Everything an operator can
// change (the external reference frequency, each receiver's stored video gain
// and AM gain, the boot baud rate and serial type, the companion board flag)
// is read from the unit every time.
//
// The file is text, one table a line:
//
//   vx18d-configuration-cache 1
//   serial_number 0012-ABCD
//   firmware_date 20180309
//   rf_switch 0
//   receiver 1
//   band 1 1435000000 1540000000 0.032 -120 0    (low Hz, high Hz, slope, offset, locked)
//   ...
//   if_bandwidth_khz 250 500 1000 2000 4000 6000 10000 20000
//   video_filter_khz ...
//   agc_time_constant_100us ...
//   am_filter_hz ... (32 values)
//   receiver 2
//   ...
//   end
//
// A file that does not read exactly so is not used. Files are replaced
// whole (a temporary file, then a rename), so a reader never sees half of one.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// The fixed tables of both receivers as the start-up read-out leaves them.
struct FixedTables {
    std::uint64_t bandLow[2][4] = {};
    std::uint64_t bandHigh[2][4] = {};
    double rssiSlope[2][4] = {};
    double rssiOffset[2][4] = {};
    BOOL linearizeLocked[2][4] = {};
    WORD ifBandwidth[2][8] = {};
    WORD videoFilter[2][8] = {};
    WORD agcTimeConstant[2][8] = {};
    WORD amFilter[2][32] = {};
    BOOL rfSwitch = 0;

    static FixedTables From(const CVX18D3_Comm& comm);
    void ApplyTo(CVX18D3_Comm& comm) const;
};

// The unit a cache file belongs to.
struct UnitKey {
    std::string serialNumber; // as GetSerialNumberText gives it
    std::uint32_t firmwareDate = 0;
};

// The key of the unit whose identity the protocol object has read (it is
// read first when not yet known).
UnitKey KeyOf(CVX18D3_Comm& comm);

std::string FormatConfigurationCache(const UnitKey& key, const FixedTables& tables);

// The tables of a cache file's text when it reads as one for this unit;
// otherwise empty, and why says what is wrong ("line 7: ...").
std::optional<FixedTables> ParseConfigurationCache(std::string_view text, const UnitKey& key,
                                                   std::string& why);

// The file of one unit in a folder (plat::CacheDir() for vx18dctl):
// "VX18D_0012-ABCD_20180309.cache".
std::string ConfigurationCacheFile(const std::string& folder, const UnitKey& key);

struct CacheUse {
    std::string folder;
    bool read = true; // false: the whole read-out from the unit, the file then written afresh
    // Every exchange of the read-out so far was answered at the first try;
    // only such a read-out is stored.
    std::function<bool()> readOutClean;
    // What happened to the cache, a line at a time (vx18dctl's --trace).
    std::function<void(const std::string&)> note;
};

// The main window's initial read-out (StartUpReadout) with the cache: the
// identity first; when the unit's file holds its tables, they are taken
// from it and only what an operator can change is read; otherwise the whole
// read-out, then the identity when not yet known, and the tables are stored
// for the next time. True when the tables came from the cache.
bool StartUpReadoutWithCache(CVX18D3_Comm& comm, const CacheUse& use);

} // namespace vx
