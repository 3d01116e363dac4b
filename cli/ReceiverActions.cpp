#include "cli/ReceiverActions.h"

#include "cli/ExitStatus.h"
#include "cli/Reports.h"
#include "cli/SettingSupport.h"
#include "cli/ValueParsers.h"
#include "protocol/DagcRangeTable.h"
#include "text/NumberText.h"
#include "text/StatusFormat.h"

#include <array>
#include <cstdio>

namespace vx::cli {
namespace {

using Kind = ReceiverAction::Kind;

struct SettingSpec {
    std::string_view name;
    Kind kind;
    std::string_view allowed;
};

constexpr std::array<SettingSpec, 19> kSettings{{
    {"freq", Kind::Frequency,
     "a frequency in a band of the receiver with Hz, kHz, MHz or GHz (MHz without a unit), "
     "e.g. 2250.5MHz"},
    {"ifbw", Kind::IfBandwidth,
     "an IF bandwidth in kHz from the receiver's list, or #0 to #7; also sets the video filter "
     "paired with it (not with the companion board)"},
    {"video", Kind::VideoFilter, "a video filter in kHz from the receiver's list, or #0 to #7"},
    {"amfilter", Kind::AmFilter, "an AM filter in Hz from the receiver's list, or #0 to #31"},
    {"am-inverse", Kind::AmInverse, "on or off"},
    {"am-gain", Kind::AmGain, "0 to 99"},
    {"fm-polarity", Kind::FmPolarity, "normal or inverted"},
    {"tlm2", Kind::Tlm2, "on or off (TLM2 de-emphasis)"},
    {"xdout", Kind::Xdout, "on or off (a or b for the RF switch's input)"},
    {"video-gain", Kind::VideoGain, "0 to 16383"},
    {"video-gain-save", Kind::VideoGainSave, "0 to 16383 (sent, then stored in the unit)"},
    {"setup", Kind::Setup, "0 to 15"},
    {"agc-tc", Kind::AgcTimeConstant,
     "an AGC time constant from the receiver's list with us, ms or s (e.g. 5ms), or #0 to #7"},
    {"if-output", Kind::IfOutput, "hw or dagc"},
    {"freeze", Kind::Freeze, "on or off (AGC freeze)"},
    {"dagc-mode", Kind::DagcMode, "linear or constant"},
    {"range", Kind::RangeDefault,
     "default; a predefined range #0 to #11 or START..ENDV (e.g. -4..0V); or a programmable "
     "range LOWER..UPPERdBm,START..ENDV (-110 to 10 dBm, -4.0 to 4.0 V, e.g. "
     "-100..0dBm,-2.5..2.5V)"},
    {"agc-zero", Kind::AgcZero, "on or off"},
    {"averaging", Kind::Averaging, "none or filtered (host RSSI averaging)"},
}};

const SettingSpec& SpecOf(Kind kind) {
    for (const SettingSpec& spec : kSettings) {
        if (spec.kind == kind)
            return spec;
    }
    return kSettings[0];
}

[[noreturn]] void Refuse(const ReceiverAction& action, const std::string& why) {
    RefuseSetting(action.text, why);
}

[[noreturn]] void NotAllowed(const ReceiverAction& action) {
    SettingNotAllowed(action.text, SpecOf(action.kind).allowed);
}

// "#N" (an index) or a table value in the unit the table keeps.
void ParseTableChoice(ReceiverAction& action, std::string_view value, std::uint64_t highestIndex) {
    if (!value.empty() && value[0] == '#') {
        const auto index =
            ParseInteger(value.substr(1), 0, static_cast<std::int64_t>(highestIndex));
        if (!index)
            NotAllowed(action);
        action.value = static_cast<std::uint64_t>(*index);
        return;
    }
    std::optional<std::uint64_t> entry;
    if (action.kind == Kind::AgcTimeConstant) {
        entry = ParseTime100us(value);
    } else {
        const auto [number, unit] = SplitUnit(value);
        const bool hertzTable = action.kind == Kind::AmFilter;
        unsigned exponent = 0;
        if (unit.empty())
            exponent = 0;
        else if (SameText(unit, "kHz"))
            exponent = hertzTable ? 3 : 0;
        else if (SameText(unit, "Hz") && hertzTable)
            exponent = 0;
        else if (SameText(unit, "MHz") && !hertzTable)
            exponent = 3;
        else
            NotAllowed(action);
        const auto decimal = ParseDecimal(number);
        const auto scaled =
            decimal && !decimal->negative ? ScaleDecimal(*decimal, exponent) : std::nullopt;
        if (scaled)
            entry = static_cast<std::uint64_t>(*scaled);
    }
    if (!entry || *entry > 0xFFFF)
        NotAllowed(action);
    action.value = *entry;
    action.byTableValue = true;
}

// "FIRST..SECOND" and the unit, each number in full (the caller checks the
// range before anything narrower takes them).
std::optional<std::pair<std::int64_t, std::int64_t>> ParseSpan(std::string_view text,
                                                               std::string_view unit, bool tenths) {
    if (text.size() <= unit.size() || !SameText(text.substr(text.size() - unit.size()), unit))
        return std::nullopt;
    text.remove_suffix(unit.size());
    const std::size_t dots = text.find("..");
    if (dots == std::string_view::npos)
        return std::nullopt;
    auto read = [tenths](std::string_view part) -> std::optional<std::int64_t> {
        return tenths ? ParseTenths(part) : ParseInteger(part, -1000, 1000);
    };
    const auto first = read(text.substr(0, dots));
    const auto second = read(text.substr(dots + 2));
    if (!first || !second)
        return std::nullopt;
    return std::pair{*first, *second};
}

void ParseRange(ReceiverAction& action, std::string_view value) {
    if (SameText(value, "default")) {
        action.kind = Kind::RangeDefault;
        return;
    }
    if (!value.empty() && value[0] == '#') {
        const auto row = ParseInteger(value.substr(1), 0, kDagcRanges.size() - 1);
        if (!row)
            NotAllowed(action);
        action.kind = Kind::RangePredefined;
        action.value = static_cast<std::uint64_t>(*row);
        return;
    }
    const std::size_t comma = value.find(',');
    if (comma == std::string_view::npos) {
        const auto volts = ParseSpan(value, "V", true);
        if (!volts)
            NotAllowed(action);
        for (std::size_t row = 0; row < kDagcRanges.size(); ++row) {
            if (kDagcRanges[row].startVoltage == volts->first &&
                kDagcRanges[row].endVoltage == volts->second) {
                action.kind = Kind::RangePredefined;
                action.value = row;
                return;
            }
        }
        Refuse(action, "no predefined range runs so; predefined ranges: -4..0V, -2..0V, 0..2V, "
                       "0..4V, -2..2V, -4..4V, 0..-4V, 0..-2V, 2..0V, 4..0V, 2..-2V, 4..-4V");
    }
    const auto dbm = ParseSpan(value.substr(0, comma), "dBm", false);
    const auto volts = ParseSpan(value.substr(comma + 1), "V", true);
    if (!dbm || !volts)
        NotAllowed(action);
    const auto [lower, upper] = *dbm;
    const auto [start, end] = *volts;
    if (lower < -110 || upper > 10 || lower >= upper || start < -40 || start > 40 || end < -40 ||
        end > 40)
        NotAllowed(action);
    action.kind = Kind::RangeProgrammable;
    action.lowerDbm = static_cast<int>(lower);
    action.upperDbm = static_cast<int>(upper);
    action.startTenths = static_cast<int>(start);
    action.endTenths = static_cast<int>(end);
}

std::uint64_t Flag(const ReceiverAction& action, std::string_view value, std::string_view on,
                   std::string_view off) {
    if (SameText(value, on))
        return 1;
    if (SameText(value, off))
        return 0;
    NotAllowed(action);
}

// The first position of a table holding the value; none when no position does.
std::optional<unsigned> FirstPosition(const WORD* table, unsigned size, std::uint64_t value,
                                      bool skipZero) {
    for (unsigned i = 0; i < size; ++i) {
        if (table[i] == value && !(skipZero && value == 0))
            return i;
    }
    return std::nullopt;
}

std::string TableList(const WORD* table, unsigned size, bool skipZero, const char* unit) {
    std::string list;
    for (unsigned i = 0; i < size; ++i) {
        if (skipZero && table[i] == 0)
            continue;
        if (!list.empty())
            list += ", ";
        list += std::to_string(table[i]);
    }
    return list + " " + unit + " (or #index)";
}

std::string TimeConstantList(const WORD* table) {
    std::string list;
    for (unsigned i = 0; i < 8; ++i) {
        if (!list.empty())
            list += ", ";
        list += std::to_string(table[i] * 100u) + "us";
    }
    return list + " (or #index)";
}

void ResolveTable(ReceiverAction& action, const WORD* table, unsigned size, bool skipZero,
                  const std::string& allowed) {
    if (action.byTableValue) {
        const auto index = FirstPosition(table, size, action.value, skipZero);
        if (!index)
            Refuse(action, "not in the receiver's list; allowed: " + allowed);
        action.value = *index;
        action.byTableValue = false;
    } else if (skipZero && table[action.value] == 0) {
        Refuse(action, "an empty position of the receiver's list; allowed: " + allowed);
    }
}

std::string BandList(const CVX18D3_Comm& comm, unsigned rx) {
    std::string list;
    for (unsigned b = 0; b < 4; ++b) {
        if (comm.m_nBandLow[rx][b] == 0 && comm.m_nBandHigh[rx][b] == 0)
            continue;
        if (!list.empty())
            list += ", ";
        list += FormatDouble(comm.m_nBandLow[rx][b] / 1e6, 1) + "-" +
                FormatDouble(comm.m_nBandHigh[rx][b] / 1e6, 1) + " MHz";
    }
    return list;
}

// The video filter that goes with an IF bandwidth: the position at which
// the count of non-zero video filters reaches the bandwidth's index + 1.
unsigned PairedVideoFilter(const CVX18D3_Comm& comm, unsigned rx, unsigned ifBandwidth) {
    unsigned seen = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (comm.m_wVideoFilterValue[rx][i] != 0 && ++seen == ifBandwidth + 1)
            return i;
    }
    return 0;
}

} // namespace

ReceiverAction ParseReceiverSetting(std::string_view text) {
    ReceiverAction action;
    action.text = std::string(text);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        throw UsageError(action.text + ": a setting is NAME=VALUE; names: " + [] {
            std::string names;
            for (const SettingSpec& spec : kSettings)
                names += (names.empty() ? "" : ", ") + std::string(spec.name);
            return names;
        }());
    const std::string_view name = text.substr(0, equals);
    const std::string_view value = text.substr(equals + 1);
    const SettingSpec* spec = nullptr;
    for (const SettingSpec& candidate : kSettings) {
        if (SameText(candidate.name, name))
            spec = &candidate;
    }
    if (!spec) {
        action.text = std::string(name);
        throw UsageError(std::string(name) + ": not a receiver setting; see vx18dctl set --help");
    }
    action.kind = spec->kind;

    switch (action.kind) {
    case Kind::Frequency: {
        const auto hz = ParseFrequencyHz(value);
        if (!hz)
            NotAllowed(action);
        action.value = *hz;
        break;
    }
    case Kind::IfBandwidth:
    case Kind::VideoFilter:
    case Kind::AgcTimeConstant:
        ParseTableChoice(action, value, 7);
        break;
    case Kind::AmFilter:
        ParseTableChoice(action, value, 31);
        break;
    case Kind::AmInverse:
    case Kind::Tlm2:
    case Kind::Freeze:
    case Kind::AgcZero: {
        const auto on = ParseOnOff(value);
        if (!on)
            NotAllowed(action);
        action.value = *on;
        break;
    }
    case Kind::Xdout: {
        const auto on = ParseOnOff(value);
        if (on)
            action.value = *on;
        else
            action.value = Flag(action, value, "a", "b");
        break;
    }
    case Kind::AmGain:
    case Kind::Setup:
    case Kind::VideoGain:
    case Kind::VideoGainSave: {
        const std::int64_t highest = action.kind == Kind::AmGain  ? 99
                                     : action.kind == Kind::Setup ? 15
                                                                  : 16383;
        const auto number = ParseInteger(value, 0, highest);
        if (!number)
            NotAllowed(action);
        action.value = static_cast<std::uint64_t>(*number);
        break;
    }
    case Kind::FmPolarity:
        action.value = Flag(action, value, "inverted", "normal");
        break;
    case Kind::IfOutput:
        action.value = Flag(action, value, "dagc", "hw");
        break;
    case Kind::DagcMode:
        action.value = Flag(action, value, "constant", "linear");
        break;
    case Kind::Averaging:
        action.value = Flag(action, value, "filtered", "none");
        break;
    case Kind::RangeDefault:
    case Kind::RangePredefined:
    case Kind::RangeProgrammable:
        ParseRange(action, value);
        break;
    }
    return action;
}

void CheckReceiverAction(ReceiverAction& action, const CVX18D3_Comm& comm, unsigned receiver) {
    const unsigned rx = ReceiverIndex(receiver);
    const bool companion = comm.m_bCompanionBoard != 0;
    switch (action.kind) {
    case Kind::Frequency: {
        bool inBand = false;
        for (unsigned b = 0; b < 4; ++b) {
            if ((comm.m_nBandLow[rx][b] != 0 || comm.m_nBandHigh[rx][b] != 0) &&
                comm.m_nBandLow[rx][b] <= action.value && action.value <= comm.m_nBandHigh[rx][b])
                inBand = true;
        }
        if (!inBand)
            Refuse(action, "outside the bands of receiver " + std::to_string(rx + 1) +
                               "; allowed: " + BandList(comm, rx));
        break;
    }
    case Kind::IfBandwidth:
        ResolveTable(action, comm.m_wIfBandwidthValue[rx], 8, true,
                     TableList(comm.m_wIfBandwidthValue[rx], 8, true, "kHz"));
        break;
    case Kind::VideoFilter:
        if (companion)
            Refuse(action, "the video filter is fixed on a unit with the companion board");
        ResolveTable(action, comm.m_wVideoFilterValue[rx], 8, true,
                     TableList(comm.m_wVideoFilterValue[rx], 8, true, "kHz"));
        break;
    case Kind::AmFilter:
        ResolveTable(action, comm.m_wAmFilterValue[rx], 32, false,
                     TableList(comm.m_wAmFilterValue[rx], 32, false, "Hz"));
        break;
    case Kind::AgcTimeConstant:
        ResolveTable(action, comm.m_wAgcTimeConstantValue[rx], 8, false,
                     TimeConstantList(comm.m_wAgcTimeConstantValue[rx]));
        break;
    case Kind::FmPolarity:
    case Kind::Tlm2:
    case Kind::Setup:
        if (companion)
            Refuse(action, "not available on a unit with the companion board");
        break;
    case Kind::IfOutput:
        for (unsigned i = 0; i < 8; ++i) {
            if (comm.m_wVideoFilterValue[rx][i] != 0)
                Refuse(action, "the IF output mode is fixed on a receiver with video filters");
        }
        break;
    default:
        break;
    }
}

bool ApplyReceiverAction(const ReceiverAction& action, CVX18D3_Comm& comm, unsigned receiver) {
    const unsigned rx = ReceiverIndex(receiver);
    const auto flag = static_cast<BOOL>(action.value != 0);
    const auto index = static_cast<UINT>(action.value);
    bool ok = false;
    switch (action.kind) {
    case Kind::Frequency:
        // The Send button also sends the AM gain the page shows.
        ok = comm.SetTuningFrequency(rx, action.value, 0) &&
             comm.SetAmGain(rx, comm.m_nAmGain[rx], 0);
        break;
    case Kind::IfBandwidth: {
        ok = Answered(comm, [&] { comm.SetIfBandwidth(rx, index, 0); });
        if (comm.m_bCompanionBoard)
            return ok; // no video filter goes with it, and no trace break
        const unsigned video = PairedVideoFilter(comm, rx, index);
        ok = Answered(comm, [&] { comm.SetVideoFilter(rx, video, 0); }) && ok;
        break;
    }
    case Kind::VideoFilter:
        ok = Answered(comm, [&] { comm.SetVideoFilter(rx, index, 0); });
        break;
    case Kind::AmFilter:
        ok = Answered(comm, [&] { comm.SetAmFilter(rx, index, 0); });
        break;
    case Kind::AmInverse:
        ok = Answered(comm, [&] { comm.SetAmInverted(rx, flag, 0); });
        break;
    case Kind::AmGain:
        ok = comm.SetAmGain(rx, static_cast<BYTE>(action.value), 0);
        break;
    case Kind::FmPolarity:
        ok = comm.SetFmPolarityInverted(rx, flag, 0);
        break;
    case Kind::Tlm2:
        ok = comm.SetTlm2DeEmphasis(rx, flag, 0);
        break;
    case Kind::Xdout:
        ok = Answered(comm, [&] { comm.SetXdout(rx, flag, 0); });
        break;
    case Kind::VideoGain:
        ok = Answered(comm, [&] { comm.SetVideoOutGain(rx, index, 0); });
        break;
    case Kind::VideoGainSave: {
        ok = Answered(comm, [&] { comm.SetVideoOutGain(rx, index, 0); });
        ok = Answered(comm, [&] { comm.SaveVideoOutGain(rx, index, 0); }) && ok;
        break;
    }
    case Kind::Setup:
        ok = Answered(comm, [&] { comm.SelectSetup(rx, index, 0); });
        break;
    case Kind::AgcTimeConstant:
        ok = Answered(comm, [&] { comm.SetAgcTimeConstant(rx, index, 0); });
        break;
    case Kind::IfOutput:
        ok = Answered(comm, [&] { comm.SetIfOutputMode(rx, index, 0); });
        break;
    case Kind::Freeze:
        ok = Answered(comm, [&] { comm.SetAgcFreeze(rx, flag, 0); });
        break;
    case Kind::DagcMode:
        ok = Answered(comm, [&] { comm.SetDagcMode(rx, index, 0); });
        break;
    case Kind::RangeDefault:
        ok = Answered(comm, [&] { comm.SelectDagcRange(rx, kDefaultDagcRangeIndex, 0); });
        break;
    case Kind::RangePredefined:
        ok = Answered(comm, [&] { comm.SelectDagcRange(rx, index, 0); });
        break;
    case Kind::RangeProgrammable: {
        ok = Answered(comm, [&] {
            comm.SetDagcDbmRange(rx, static_cast<std::int8_t>(action.lowerDbm),
                                 static_cast<std::int8_t>(action.upperDbm), 0);
        });
        ok = Answered(comm,
                      [&] {
                          comm.SetDagcVoltageRange(rx, static_cast<std::int8_t>(action.startTenths),
                                                   static_cast<std::int8_t>(action.endTenths), 0);
                      }) &&
             ok;
        break;
    }
    case Kind::AgcZero:
        // The page starts from what the unit last reported.
        comm.m_bAgcZero[rx] = comm.m_bAgcZeroActive[rx];
        ok = Answered(comm, [&] { comm.SetAgcZero(rx, flag, 0); });
        break;
    case Kind::Averaging:
        // The page sends no trace break after the averaging radios.
        return comm.SetRssiAveraging(rx, index, 0) != 0;
    }
    comm.MarkTraceBreak();
    return ok;
}

std::string ReceiverSettingsHelp() {
    std::string help;
    for (const SettingSpec& spec : kSettings) {
        char line[400];
        std::snprintf(line, sizeof line, "  %-16s %.*s\n", std::string(spec.name).c_str(),
                      static_cast<int>(spec.allowed.size()), spec.allowed.data());
        help += line;
    }
    return help;
}

} // namespace vx::cli
