// The settings of `vx18dctl set RX NAME=VALUE ...`: each NAME=VALUE is one
// control of the receiver setup page. Parsing checks the text alone; the
// check against the unit (its filter tables, bands and companion board)
// runs for every setting before the first one is sent, so that bad input
// never reaches the unit; applying sends what the page's handler sends.
#pragma once

#include "protocol/CVX18D3_Comm.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::cli {

struct ReceiverAction {
    enum class Kind {
        Frequency,
        IfBandwidth,
        VideoFilter,
        AmFilter,
        AmInverse,
        AmGain,
        FmPolarity,
        Tlm2,
        Xdout,
        VideoGain,
        VideoGainSave,
        Setup,
        AgcTimeConstant,
        IfOutput,
        Freeze,
        DagcMode,
        RangeDefault,
        RangePredefined,
        RangeProgrammable,
        AgcZero,
        Averaging,
    };
    Kind kind = Kind::Frequency;
    std::string text;          // NAME=VALUE as given
    std::uint64_t value = 0;   // Hz, gain, flag, mode, table index or row
    bool byTableValue = false; // value is a table entry, not yet an index
    int lowerDbm = 0;
    int upperDbm = 0;
    int startTenths = 0;
    int endTenths = 0;
};

// Throws UsageError naming the setting and what is allowed.
ReceiverAction ParseReceiverSetting(std::string_view text);

// Throws UsageError when the unit cannot take the setting; turns a table
// value into its index.
void CheckReceiverAction(ReceiverAction& action, const CVX18D3_Comm& comm, unsigned receiver);

// Sends the setting as the setup page does; true when every exchange was answered.
bool ApplyReceiverAction(const ReceiverAction& action, CVX18D3_Comm& comm, unsigned receiver);

// The names and their values, one line each, for --help and the man page.
std::string ReceiverSettingsHelp();

} // namespace vx::cli
