#include "unit/ConfigurationCache.h"

#include "files/WholeFile.h"
#include "platform/ConfigPaths.h"
#include "text/RefClkText.h"
#include "unit/Readouts.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

namespace vx {
namespace {

constexpr std::string_view kHeading = "vx18d-configuration-cache 1";

template <class T> std::string NumberText(T value) {
    char text[40];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("?");
}

template <class T> bool ReadNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    if constexpr (std::is_floating_point_v<T>)
        return std::isfinite(value);
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return parts;
}

template <class T> void AppendRow(std::string& out, const char* name, std::span<const T> values) {
    out += name;
    for (const T value : values)
        out += " " + NumberText(value);
    out += '\n';
}

// The cache file's lines, read in the order the file must have them.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_lines(Split(text, '\n')) {
        // The last line ends with a line feed.
        if (!m_lines.empty() && m_lines.back().empty())
            m_lines.pop_back();
    }

    // The values of the next line, which must be NAME and exactly count values.
    std::optional<std::vector<std::string_view>> Row(std::string_view name, std::size_t count) {
        ++m_line;
        if (m_line > m_lines.size())
            return Fail("the file ends before \"" + std::string(name) + "\"");
        std::vector<std::string_view> fields = Split(m_lines[m_line - 1], ' ');
        if (fields.empty() || fields[0] != name)
            return Fail("\"" + std::string(name) + "\" expected");
        fields.erase(fields.begin());
        if (fields.size() != count)
            return Fail(std::to_string(count) + " values expected after \"" + std::string(name) +
                        "\"");
        return fields;
    }

    // A row of numbers into values.
    template <class T, std::size_t N> bool Numbers(std::string_view name, std::span<T, N> values) {
        const auto fields = Row(name, values.size());
        if (!fields)
            return false;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!ReadNumber((*fields)[i], values[i])) {
                Fail("\"" + std::string((*fields)[i]) + "\" is not a value of \"" +
                     std::string(name) + "\"");
                return false;
            }
        }
        return true;
    }

    bool Exact(std::string_view line) {
        ++m_line;
        if (m_line <= m_lines.size() && m_lines[m_line - 1] == line)
            return true;
        Fail("\"" + std::string(line) + "\" expected");
        return false;
    }

    bool AtEnd() {
        if (m_line == m_lines.size())
            return true;
        ++m_line;
        Fail("nothing may follow \"end\"");
        return false;
    }

    // True when the value of the line just read holds; otherwise says what it must be.
    bool Check(bool holds, const std::string& allowed) {
        if (!holds)
            Fail("the value must be " + allowed);
        return holds;
    }

    std::nullopt_t Fail(const std::string& what) {
        if (m_why.empty())
            m_why = "line " + std::to_string(m_line) + ": " + what;
        return std::nullopt;
    }

    const std::string& Why() const { return m_why; }

private:
    std::vector<std::string_view> m_lines;
    std::size_t m_line = 0;
    std::string m_why;
};

bool ReadReceiver(LineReader& in, FixedTables& t, unsigned r) {
    if (!in.Exact("receiver " + std::to_string(r + 1)))
        return false;
    for (unsigned b = 0; b < 4; ++b) {
        const auto row = in.Row("band", 6);
        if (!row)
            return false;
        unsigned band = 0;
        unsigned locked = 0;
        const bool read =
            ReadNumber((*row)[0], band) && band == b + 1 &&
            ReadNumber((*row)[1], t.bandLow[r][b]) && ReadNumber((*row)[2], t.bandHigh[r][b]) &&
            ReadNumber((*row)[3], t.rssiSlope[r][b]) && ReadNumber((*row)[4], t.rssiOffset[r][b]) &&
            ReadNumber((*row)[5], locked) && locked <= 1;
        if (!in.Check(read, "band " + std::to_string(b + 1) +
                                ", two limits in Hz, slope, offset and 0 or 1"))
            return false;
        t.linearizeLocked[r][b] = static_cast<BOOL>(locked);
    }
    return in.Numbers("if_bandwidth_khz", std::span(t.ifBandwidth[r])) &&
           in.Numbers("video_filter_khz", std::span(t.videoFilter[r])) &&
           in.Numbers("agc_time_constant_100us", std::span(t.agcTimeConstant[r])) &&
           in.Numbers("am_filter_hz", std::span(t.amFilter[r]));
}

void Note(const CacheUse& use, const std::string& line) {
    if (use.note)
        use.note(line);
}

} // namespace

FixedTables FixedTables::From(const CVX18D3_Comm& comm) {
    FixedTables t;
    std::memcpy(t.bandLow, comm.m_nBandLow, sizeof t.bandLow);
    std::memcpy(t.bandHigh, comm.m_nBandHigh, sizeof t.bandHigh);
    std::memcpy(t.rssiSlope, comm.m_fRssiSlope, sizeof t.rssiSlope);
    std::memcpy(t.rssiOffset, comm.m_fRssiOffset, sizeof t.rssiOffset);
    std::memcpy(t.linearizeLocked, comm.m_bLinearizeLocked, sizeof t.linearizeLocked);
    std::memcpy(t.ifBandwidth, comm.m_wIfBandwidthValue, sizeof t.ifBandwidth);
    std::memcpy(t.videoFilter, comm.m_wVideoFilterValue, sizeof t.videoFilter);
    std::memcpy(t.agcTimeConstant, comm.m_wAgcTimeConstantValue, sizeof t.agcTimeConstant);
    std::memcpy(t.amFilter, comm.m_wAmFilterValue, sizeof t.amFilter);
    t.rfSwitch = comm.m_bRfSwitch;
    return t;
}

void FixedTables::ApplyTo(CVX18D3_Comm& comm) const {
    std::memcpy(comm.m_nBandLow, bandLow, sizeof bandLow);
    std::memcpy(comm.m_nBandHigh, bandHigh, sizeof bandHigh);
    std::memcpy(comm.m_fRssiSlope, rssiSlope, sizeof rssiSlope);
    std::memcpy(comm.m_fRssiOffset, rssiOffset, sizeof rssiOffset);
    std::memcpy(comm.m_bLinearizeLocked, linearizeLocked, sizeof linearizeLocked);
    std::memcpy(comm.m_wIfBandwidthValue, ifBandwidth, sizeof ifBandwidth);
    std::memcpy(comm.m_wVideoFilterValue, videoFilter, sizeof videoFilter);
    std::memcpy(comm.m_wAgcTimeConstantValue, agcTimeConstant, sizeof agcTimeConstant);
    std::memcpy(comm.m_wAmFilterValue, amFilter, sizeof amFilter);
    comm.m_bRfSwitch = rfSwitch;
}

UnitKey KeyOf(CVX18D3_Comm& comm) {
    std::string serialNumber = comm.GetSerialNumberText(0);
    return UnitKey{std::move(serialNumber), comm.m_dwFirmwareDate};
}

std::string FormatConfigurationCache(const UnitKey& key, const FixedTables& t) {
    std::string out(kHeading);
    out += "\nserial_number " + key.serialNumber + "\nfirmware_date " +
           FirmwareVersionText(key.firmwareDate) + "\nrf_switch " + (t.rfSwitch ? "1" : "0") + "\n";
    for (unsigned r = 0; r < 2; ++r) {
        out += "receiver " + std::to_string(r + 1) + "\n";
        for (unsigned b = 0; b < 4; ++b) {
            out += "band " + std::to_string(b + 1) + " " + NumberText(t.bandLow[r][b]) + " " +
                   NumberText(t.bandHigh[r][b]) + " " + NumberText(t.rssiSlope[r][b]) + " " +
                   NumberText(t.rssiOffset[r][b]) + " " + (t.linearizeLocked[r][b] ? "1" : "0") +
                   "\n";
        }
        AppendRow(out, "if_bandwidth_khz", std::span<const WORD>(t.ifBandwidth[r]));
        AppendRow(out, "video_filter_khz", std::span<const WORD>(t.videoFilter[r]));
        AppendRow(out, "agc_time_constant_100us", std::span<const WORD>(t.agcTimeConstant[r]));
        AppendRow(out, "am_filter_hz", std::span<const WORD>(t.amFilter[r]));
    }
    return out + "end\n";
}

std::optional<FixedTables> ParseConfigurationCache(std::string_view text, const UnitKey& key,
                                                   std::string& why) {
    LineReader in(text);
    FixedTables t;
    unsigned rfSwitch = 0;
    const bool read = in.Exact(kHeading) && in.Exact("serial_number " + key.serialNumber) &&
                      in.Exact("firmware_date " + FirmwareVersionText(key.firmwareDate)) &&
                      in.Numbers("rf_switch", std::span(&rfSwitch, 1)) &&
                      in.Check(rfSwitch <= 1, "0 or 1") && ReadReceiver(in, t, 0) &&
                      ReadReceiver(in, t, 1) && in.Exact("end") && in.AtEnd();
    if (!read) {
        why = in.Why();
        return std::nullopt;
    }
    t.rfSwitch = static_cast<BOOL>(rfSwitch);
    return t;
}

std::string ConfigurationCacheFile(const std::string& folder, const UnitKey& key) {
    return folder + "/VX18D_" + key.serialNumber + "_" + FirmwareVersionText(key.firmwareDate) +
           ".cache";
}

bool StartUpReadoutWithCache(CVX18D3_Comm& comm, const CacheUse& use) {
    if (use.read) {
        comm.ReadIdentity(0);
        const UnitKey key = KeyOf(comm);
        const std::string file = ConfigurationCacheFile(use.folder, key);
        std::string text;
        FileError error;
        std::string why;
        if (!ReadWholeFile(file, text, error)) {
            Note(use, error.osError == ENOENT
                          ? "no configuration cache for this unit (" + file + ")"
                          : "configuration cache " + file + " cannot be read (" +
                                std::strerror(static_cast<int>(error.osError)) + "); not used");
        } else if (const auto tables = ParseConfigurationCache(text, key, why)) {
            Note(use, "fixed tables from the configuration cache " + file);
            tables->ApplyTo(comm);
            comm.ReadAdjustableConfiguration(0);
            comm.ReadCompanionBoardFlag(0);
            comm.MarkTraceBreak();
            return true;
        } else {
            Note(use, "configuration cache " + file + " not used: " + why);
        }
    }

    StartUpReadout(comm);
    if (!comm.m_bIdentityLoaded)
        comm.ReadIdentity(0);
    if (use.readOutClean && !use.readOutClean()) {
        Note(use, "not every exchange of the read-out was answered at once: nothing cached");
        return false;
    }
    const UnitKey key = KeyOf(comm);
    const std::string file = ConfigurationCacheFile(use.folder, key);
    FileError error;
    if (!plat::EnsureDirectory(use.folder) ||
        !ReplaceWholeFile(file, FormatConfigurationCache(key, FixedTables::From(comm)), error)) {
        Note(use,
             "configuration cache " + file + " cannot be written" +
                 (error.osError > 0
                      ? " (" + std::string(std::strerror(static_cast<int>(error.osError))) + ")"
                      : std::string()));
        return false;
    }
    Note(use, "fixed tables stored in the configuration cache " + file);
    return false;
}

} // namespace vx
