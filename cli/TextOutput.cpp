#include "cli/TextOutput.h"

#include "text/NumberText.h"
#include "text/StatusFormat.h"
#include "text/TimeText.h"

#include <cstdio>
#include <ctime>

namespace vx::cli {
namespace {

const char* OnOff(bool on) {
    return on ? "on" : "off";
}

const char* YesNo(bool yes) {
    return yes ? "yes" : "no";
}

std::string Mhz(std::uint64_t hz) {
    // As the setup page shows a frequency: no trailing zeros, at least one decimal.
    std::string text = FormatDouble(hz / 1e6, 6);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text += '0';
    return text + " MHz";
}

template <std::size_t N>
std::string List(const std::array<std::uint16_t, N>& values, bool skipZero,
                 const std::string& unit) {
    std::string text;
    for (std::uint16_t value : values) {
        if (skipZero && value == 0)
            continue;
        text += (text.empty() ? "" : ", ") + std::to_string(value);
    }
    return text.empty() ? "(none)" : text + " " + unit;
}

std::string Choice(const TableChoice& choice, const std::string& unit) {
    return std::to_string(choice.value) + " " + unit + " (#" + std::to_string(choice.index) + ")";
}

std::string Volts(int tenths) {
    return FormatDouble(tenths / 10.0, 1) + " V";
}

} // namespace

std::string TimeOfDay(TimePoint time) {
    return LocalTimeOfDay(time, 3);
}

std::string AgcTimeConstantText(unsigned t) {
    char text[48];
    if (t < 10)
        std::snprintf(text, sizeof text, "%u µsecs", t * 100);
    else if (t == 10)
        std::snprintf(text, sizeof text, "%s msec", FormatDouble(1.0, 1).c_str());
    else if (t < 10000)
        std::snprintf(text, sizeof text, "%s msecs", FormatDouble(t / 10.0, 1).c_str());
    else if (t == 10000)
        std::snprintf(text, sizeof text, "%s sec", FormatDouble(1.0, 1).c_str());
    else
        std::snprintf(text, sizeof text, "%s secs", FormatDouble(t / 10000.0, 1).c_str());
    return text;
}

void TextOutput::Row(const std::string& name, const std::string& value) {
    char line[64];
    std::snprintf(line, sizeof line, "%-22s", name.c_str());
    m_out << line << value << '\n';
}

void TextOutput::Applied(const std::vector<AppliedSetting>& applied) {
    for (const AppliedSetting& setting : applied)
        Row(setting.ok ? "applied" : "FAILED", setting.setting);
}

void TextOutput::Ping(const std::string& port, bool online) {
    m_out << port << ": " << (online ? "online" : "offline") << '\n';
}

void TextOutput::Info(const InfoReport& info) {
    Row("serial number", info.serialNumber);
    Row("firmware date", FirmwareDateText(info.firmwareDate));
    Row("companion board", YesNo(info.companionBoard));
    Row("RF switch", YesNo(info.rfSwitch));
    Row("external reference", std::to_string(info.externalReferenceMHz) + " MHz");
    Row("boot serial",
        std::to_string(info.bootBaudRate) + " baud, " + BootSerialTypeName(info.bootSerialType));
    for (const ReceiverInfo& r : info.receivers) {
        Row("receiver " + std::to_string(r.receiver), r.fitted ? "fitted" : "not fitted");
        if (!r.fitted)
            continue;
        for (unsigned b = 0; b < 4; ++b) {
            const BandInfo& band = r.bands[b];
            if (band.lowHz == 0 && band.highHz == 0)
                continue;
            Row("  band " + std::to_string(b + 1),
                FormatDouble(band.lowHz / 1e6, 1) + " - " + FormatDouble(band.highHz / 1e6, 1) +
                    " MHz, RSSI " + FormatDouble(band.rssiSlope, 4) + " dB/step " +
                    FormatDouble(band.rssiOffsetDbm, 1) + " dBm" +
                    (band.lineariseLocked ? ", cannot be linearised" : ""));
        }
        Row("  IF bandwidths", List(r.ifBandwidthKHz, true, "kHz"));
        Row("  video filters", List(r.videoFilterKHz, true, "kHz"));
        Row("  AM filters", List(r.amFilterHz, false, "Hz"));
        std::string constants;
        for (std::uint16_t t : r.agcTimeConstant100us)
            constants += (constants.empty() ? "" : ", ") + AgcTimeConstantText(t);
        Row("  AGC time constants", constants);
    }
}

void TextOutput::Status(const StatusSample& sample, std::uint32_t number, TimePoint time) {
    m_out << "sample " << number << "  " << TimeOfDay(time);
    if (!sample.ok)
        m_out << "  (no answer from the unit: zeros shown)";
    m_out << "\n";
    Row("  reference PLL", sample.pllSynchronised ? "synchronised" : "not synchronised");
    Row("  internal reference", OnOff(sample.internalReference));
    if (sample.idLeds[0] != 0) {
        std::string leds;
        for (unsigned i = 0; i < 4; ++i)
            leds += (i ? ", " : "") + std::to_string(i) + " " + OnOff(sample.idLeds[i] == 2);
        Row("  ID LEDs", leds);
    }
    for (unsigned rx = 0; rx < 2; ++rx) {
        const StatusSample::Receiver& r = sample.receivers[rx];
        if (!r.fitted)
            continue;
        std::string line = "RSSI " + FormatDouble(r.rssiDbm, 1) + " dBm, AM index " +
                           std::to_string(r.amIndex) + " %, FM deviation " +
                           std::to_string(r.fmDeviation) + " %, AM counter " +
                           (r.amCounterHz ? std::to_string(*r.amCounterHz) + " Hz" : "-") +
                           ", LO1 " + (r.lo1Locked ? "locked" : "unlocked") + ", LO2 " +
                           (r.lo2Locked ? "locked" : "unlocked") + ", AGC zero " + OnOff(r.agcZero);
        Row("  receiver " + std::to_string(rx + 1), line);
    }
}

void TextOutput::ReceiverSettings(const ReceiverSettingsReport& s,
                                  const std::vector<AppliedSetting>& applied) {
    Applied(applied);
    Row("receiver", std::to_string(s.receiver));
    Row("  frequency", Mhz(s.frequencyHz));
    Row("  IF bandwidth", Choice(s.ifBandwidthKHz, "kHz"));
    Row("  video filter",
        s.videoFilterKHz ? Choice(*s.videoFilterKHz, "kHz") : "(fixed: companion board)");
    Row("  AM filter", Choice(s.amFilterHz, "Hz"));
    Row("  AM inverse", OnOff(s.amInverted));
    Row("  AM gain", std::to_string(s.amGain));
    Row("  FM polarity",
        s.fmInverted ? (*s.fmInverted ? "inverted" : "normal") : "(fixed: companion board)");
    Row("  TLM2 de-emphasis",
        s.tlm2DeEmphasis ? OnOff(*s.tlm2DeEmphasis) : "(fixed: companion board)");
    const char* xdoutName = s.rfSwitch ? "  RF switch" : "  XDOUT";
    if (!s.xdout)
        Row(xdoutName, "(not reported by the unit)");
    else if (s.rfSwitch)
        Row(xdoutName, *s.xdout ? "input A" : "input B");
    else
        Row(xdoutName, OnOff(*s.xdout));
    Row("  setup", s.setup ? std::to_string(*s.setup) : "(not reported by the unit)");
    Row("  video gain", std::to_string(s.videoGain));
    Row("  AGC time constant", AgcTimeConstantText(s.agcTimeConstant100us.value) + " (#" +
                                   std::to_string(s.agcTimeConstant100us.index) + ")");
    Row("  IF output mode", s.ifOutputMode == 0 ? "HW Control Mode" : "DAGC Control Mode");
    Row("  AGC freeze", OnOff(s.agcFreeze));
    Row("  DAGC mode", s.dagcMode == 0   ? "linear"
                       : s.dagcMode == 1 ? "constant"
                                         : std::to_string(s.dagcMode));
    const auto slope =
        DagcSlope(s.dagcLowerDbm, s.dagcUpperDbm, s.dagcStartTenths, s.dagcEndTenths);
    Row("  DAGC range", std::to_string(s.dagcLowerDbm) + " to " + std::to_string(s.dagcUpperDbm) +
                            " dBm, " + Volts(s.dagcStartTenths) + " to " + Volts(s.dagcEndTenths) +
                            ", " + (slope ? FormatDouble(*slope, 1) + " dBm/V" : "Infinite dBm/V") +
                            " (unit's range #" + std::to_string(s.dagcRangeIndex) + " \"" +
                            DagcRangeLabel(s.dagcRangeIndex) + "\")");
    Row("  AGC zero", OnOff(s.agcZero));
    Row("  RSSI averaging", s.rssiFiltered ? "filtered" : "none");
}

void TextOutput::Unit(const UnitReport& u, const std::vector<AppliedSetting>& applied) {
    Applied(applied);
    Row("internal reference", OnOff(u.internalReference));
    Row("external reference", std::to_string(u.externalReferenceMHz) + " MHz");
    Row("companion board", YesNo(u.companionBoard));
    Row("EEPROM",
        std::string("prefer ") + OnOff(u.preferEeprom) + ", fixed on " + YesNo(u.eepromForced));
    std::string switches;
    for (unsigned i = 0; i < 8; ++i)
        switches += (i ? ", " : "") + std::string("SW2.") + std::to_string(i + 1) + " " +
                    OnOff(u.switches[i]);
    Row("switches", switches);
    std::string discretes;
    for (unsigned i = 0; i < 5; ++i)
        discretes += (i ? ", " : "") + std::string("P3.") + std::to_string(i + 7) + " " +
                     OnOff(u.discretes[i]);
    Row("discretes", discretes);
    if (u.companionBoard) {
        std::string leds;
        for (unsigned i = 0; i < 4; ++i)
            leds += (i ? ", " : "") + std::to_string(i) + " " + OnOff(u.idLeds[i] == 2);
        Row("ID LEDs", leds);
    }
    for (unsigned dc = 0; dc < 2; ++dc) {
        Row("attenuator DC" + std::to_string(dc + 1),
            "code " + std::to_string(u.attenuators[dc].code) + ", " +
                FormatDouble(AttenuatorLevelDb(u.attenuators[dc].code), 1) + " dB, freeze " +
                OnOff(u.attenuators[dc].freeze));
    }
    Row("attenuators at boot", OnOff(u.attenuatorsAtBoot));
    Row("boot serial",
        std::to_string(u.bootBaudRate) + " baud, " + BootSerialTypeName(u.bootSerialType));
    for (unsigned dc = 0; dc < 2; ++dc) {
        std::string bands;
        for (unsigned b = 0; b < 4; ++b) {
            if (!u.lineariseLocked[dc][b])
                bands += (bands.empty() ? "" : ", ") + std::to_string(b + 1);
        }
        Row("linearisable DC" + std::to_string(dc + 1),
            bands.empty() ? "(none)" : "bands " + bands);
    }
    // The page shows each historical range as the second value, a dash, the first.
    Row("temperature",
        std::to_string(u.temperatureC[1]) + " - " + std::to_string(u.temperatureC[0]) + " °C");
    Row("supply voltage", std::to_string(static_cast<int>(u.supplyVolts[1])) + " - " +
                              std::to_string(static_cast<int>(u.supplyVolts[0])) + " V");
    Row("supply current", std::to_string(static_cast<int>(u.supplyAmps[1])) + " - " +
                              std::to_string(static_cast<int>(u.supplyAmps[0])) + " A");
}

void TextOutput::RecordDone(const RecordSummary& summary) {
    m_out << "recorded " << summary.samples << " samples to " << summary.file;
    if (summary.failedPolls)
        m_out << " (" << summary.failedPolls
              << " without an answer from the unit, left out of the file)";
    m_out << '\n';
}

void TextOutput::Flash(const FlashReport& report) {
    m_out << report.result << " (" << report.file << ", " << report.bytes << " bytes, "
          << report.blocksSent << " of " << report.blocks << " blocks sent"
          << (report.committed ? ", committed" : ", not committed") << ")\n";
}

} // namespace vx::cli
