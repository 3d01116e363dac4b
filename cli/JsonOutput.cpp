#include "cli/JsonOutput.h"

#include "text/TimeText.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace vx::cli {
namespace {

using Json = nlohmann::ordered_json;

// Values computed from the unit's words, to the six decimals the record file has.
double Rounded(double value) {
    return std::round(value * 1e6) / 1e6;
}

void Emit(std::ostream& out, const Json& object) {
    out << object.dump() << '\n' << std::flush;
}

Json Choice(const TableChoice& choice, const char* unit) {
    return Json{{"index", choice.index}, {unit, choice.value}};
}

Json AppliedList(const std::vector<AppliedSetting>& applied) {
    Json list = Json::array();
    for (const AppliedSetting& setting : applied)
        list.push_back(Json{{"setting", setting.setting}, {"ok", setting.ok}});
    return list;
}

Json IdLeds(const std::array<std::uint32_t, 4>& states) {
    Json leds = Json::array();
    for (std::uint32_t state : states)
        leds.push_back(state == 2 ? "on" : state == 1 ? "off" : "none");
    return leds;
}

} // namespace

void JsonOutput::Ping(const std::string& port, bool online) {
    Emit(m_out, Json{{"port", port}, {"online", online}});
}

void JsonOutput::Info(const InfoReport& info) {
    Json receivers = Json::array();
    for (const ReceiverInfo& r : info.receivers) {
        Json bands = Json::array();
        for (unsigned b = 0; b < 4; ++b) {
            const BandInfo& band = r.bands[b];
            bands.push_back(Json{{"band", b + 1},
                                 {"low_hz", band.lowHz},
                                 {"high_hz", band.highHz},
                                 {"rssi_slope_db", Rounded(band.rssiSlope)},
                                 {"rssi_offset_dbm", Rounded(band.rssiOffsetDbm)},
                                 {"linearise_locked", band.lineariseLocked}});
        }
        Json constants = Json::array();
        for (std::uint16_t t : r.agcTimeConstant100us)
            constants.push_back(t * 100u);
        receivers.push_back(Json{{"receiver", r.receiver},
                                 {"fitted", r.fitted},
                                 {"bands", bands},
                                 {"if_bandwidths_khz", r.ifBandwidthKHz},
                                 {"video_filters_khz", r.videoFilterKHz},
                                 {"am_filters_hz", r.amFilterHz},
                                 {"agc_time_constants_us", constants}});
    }
    Emit(m_out, Json{{"serial_number", info.serialNumber},
                     {"firmware_date", FirmwareDateText(info.firmwareDate)},
                     {"companion_board", info.companionBoard},
                     {"rf_switch", info.rfSwitch},
                     {"external_reference_mhz", info.externalReferenceMHz},
                     {"boot_baud_rate", info.bootBaudRate},
                     {"boot_serial_type", BootSerialTypeName(info.bootSerialType)},
                     {"receivers", receivers}});
}

void JsonOutput::Status(const StatusSample& sample, std::uint32_t number, TimePoint time) {
    Json receivers = Json::array();
    for (unsigned rx = 0; rx < 2; ++rx) {
        const StatusSample::Receiver& r = sample.receivers[rx];
        if (!r.fitted)
            continue;
        receivers.push_back(
            Json{{"receiver", rx + 1},
                 {"rssi_dbm", Rounded(r.rssiDbm)},
                 {"raw_rssi", r.rawRssi},
                 {"am_index_percent", r.amIndex},
                 {"fm_deviation_percent", r.fmDeviation},
                 {"am_counter_hz", r.amCounterHz ? Json(*r.amCounterHz) : Json(nullptr)},
                 {"lo1_locked", r.lo1Locked},
                 {"lo2_locked", r.lo2Locked},
                 {"agc_zero", r.agcZero}});
    }
    Emit(m_out, Json{{"sample", number},
                     {"time", UtcTimeText(time)},
                     {"ok", sample.ok},
                     {"pll_synchronised", sample.pllSynchronised},
                     {"internal_reference", sample.internalReference},
                     {"id_leds", IdLeds(sample.idLeds)},
                     {"receivers", receivers}});
}

void JsonOutput::ReceiverSettings(const ReceiverSettingsReport& s,
                                  const std::vector<AppliedSetting>& applied) {
    const auto slope =
        DagcSlope(s.dagcLowerDbm, s.dagcUpperDbm, s.dagcStartTenths, s.dagcEndTenths);
    Json object{
        {"receiver", s.receiver},
        {"frequency_hz", s.frequencyHz},
        {"if_bandwidth", Choice(s.ifBandwidthKHz, "khz")},
        {"video_filter", s.videoFilterKHz ? Choice(*s.videoFilterKHz, "khz") : Json(nullptr)},
        {"am_filter", Choice(s.amFilterHz, "hz")},
        {"am_inverse", s.amInverted},
        {"am_gain", s.amGain},
        {"fm_polarity", s.fmInverted ? Json(*s.fmInverted ? "inverted" : "normal") : Json(nullptr)},
        {"tlm2_de_emphasis", s.tlm2DeEmphasis ? Json(*s.tlm2DeEmphasis) : Json(nullptr)},
        {"rf_switch", s.rfSwitch},
        {"xdout", s.xdout ? Json(*s.xdout) : Json(nullptr)},
        {"setup", s.setup ? Json(*s.setup) : Json(nullptr)},
        {"video_gain", s.videoGain},
        {"agc_time_constant", Json{{"index", s.agcTimeConstant100us.index},
                                   {"us", s.agcTimeConstant100us.value * 100u}}},
        {"if_output", s.ifOutputMode == 0 ? "hw" : "dagc"},
        {"agc_freeze", s.agcFreeze},
        {"dagc_mode", s.dagcMode == 0   ? Json("linear")
                      : s.dagcMode == 1 ? Json("constant")
                                        : Json(s.dagcMode)},
        {"dagc_range", Json{{"lower_dbm", s.dagcLowerDbm},
                            {"upper_dbm", s.dagcUpperDbm},
                            {"start_v", s.dagcStartTenths / 10.0},
                            {"end_v", s.dagcEndTenths / 10.0},
                            {"slope_dbm_per_v", slope ? Json(Rounded(*slope)) : Json(nullptr)},
                            {"unit_range_index", s.dagcRangeIndex},
                            {"unit_range_label", DagcRangeLabel(s.dagcRangeIndex)}}},
        {"agc_zero", s.agcZero},
        {"rssi_averaging", s.rssiFiltered ? "filtered" : "none"}};
    if (!applied.empty())
        object["applied"] = AppliedList(applied);
    Emit(m_out, object);
}

void JsonOutput::Unit(const UnitReport& u, const std::vector<AppliedSetting>& applied) {
    Json attenuators = Json::array();
    for (unsigned dc = 0; dc < 2; ++dc) {
        attenuators.push_back(Json{{"dc", dc + 1},
                                   {"code", u.attenuators[dc].code},
                                   {"level_db", AttenuatorLevelDb(u.attenuators[dc].code)},
                                   {"freeze", u.attenuators[dc].freeze}});
    }
    Json linearisable = Json::array();
    for (unsigned dc = 0; dc < 2; ++dc) {
        Json bands = Json::array();
        for (unsigned b = 0; b < 4; ++b) {
            if (!u.lineariseLocked[dc][b])
                bands.push_back(b + 1);
        }
        linearisable.push_back(Json{{"dc", dc + 1}, {"bands", bands}});
    }
    Json object{{"internal_reference", u.internalReference},
                {"external_reference_mhz", u.externalReferenceMHz},
                {"companion_board", u.companionBoard},
                {"eeprom_preferred", u.preferEeprom},
                {"eeprom_forced", u.eepromForced},
                {"switches", u.switches},
                {"discretes", u.discretes},
                {"id_leds", IdLeds(u.idLeds)},
                {"attenuators", attenuators},
                {"attenuators_at_boot", u.attenuatorsAtBoot},
                {"boot_baud_rate", u.bootBaudRate},
                {"boot_serial_type", BootSerialTypeName(u.bootSerialType)},
                {"linearisable", linearisable},
                {"temperature_c", u.temperatureC},
                {"supply_v", u.supplyVolts},
                {"supply_a", u.supplyAmps}};
    if (!applied.empty())
        object["applied"] = AppliedList(applied);
    Emit(m_out, object);
}

void JsonOutput::RecordSample(std::uint32_t number, double rssi1Dbm, double rssi2Dbm,
                              TimePoint time) {
    Emit(m_out, Json{{"sample", number},
                     {"time", UtcTimeText(time)},
                     {"rssi_dbm", Json::array({Rounded(rssi1Dbm), Rounded(rssi2Dbm)})}});
}

void JsonOutput::RecordDone(const RecordSummary& summary) {
    Emit(m_out, Json{{"file", summary.file},
                     {"samples", summary.samples},
                     {"failed_polls", summary.failedPolls},
                     {"interrupted", summary.interrupted}});
}

void JsonOutput::Flash(const FlashReport& report) {
    Emit(m_out, Json{{"file", report.file},
                     {"bytes", report.bytes},
                     {"blocks", report.blocks},
                     {"blocks_sent", report.blocksSent},
                     {"committed", report.committed},
                     {"interrupted", report.interrupted},
                     {"result", report.result}});
}

void JsonOutput::Failure(const std::string& message, int exitStatus) {
    Emit(m_out, Json{{"error", message}, {"exit_status", exitStatus}});
}

} // namespace vx::cli
