// What vx18dctl prints, as plain data taken from the protocol object's cache
// once the command's exchanges are done. TextOutput and JsonOutput turn
// these into text for people and JSON for programs.
#pragma once

#include "protocol/CVX18D3_Comm.h"
#include "unit/Readouts.h"
#include "unit/StatusPoll.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx::cli {

using TimePoint = std::chrono::system_clock::time_point;

// ---- info -----------------------------------------------------------------
struct BandInfo {
    std::uint64_t lowHz = 0;
    std::uint64_t highHz = 0;
    double rssiSlope = 0.0;
    double rssiOffsetDbm = 0.0;
    bool lineariseLocked = false;
};

struct ReceiverInfo {
    unsigned receiver = 1; // 1 or 2
    bool fitted = false;
    std::array<BandInfo, 4> bands{};
    std::array<std::uint16_t, 8> ifBandwidthKHz{};
    std::array<std::uint16_t, 8> videoFilterKHz{};
    std::array<std::uint16_t, 8> agcTimeConstant100us{};
    std::array<std::uint16_t, 32> amFilterHz{};
};

struct InfoReport {
    std::string serialNumber;
    std::uint32_t firmwareDate = 0;
    bool companionBoard = false;
    bool rfSwitch = false;
    std::uint32_t externalReferenceMHz = 0;
    std::uint32_t bootBaudRate = 0;
    std::uint32_t bootSerialType = 0;
    std::array<ReceiverInfo, 2> receivers{};
};
InfoReport BuildInfo(const CVX18D3_Comm& comm);

// ---- get / set --------------------------------------------------------------
struct TableChoice {
    unsigned index = 0;
    unsigned value = 0; // the table's entry at the index
};

struct ReceiverSettingsReport {
    unsigned receiver = 1; // 1 or 2
    std::uint64_t frequencyHz = 0;
    TableChoice ifBandwidthKHz;
    std::optional<TableChoice> videoFilterKHz; // none with the companion board
    TableChoice amFilterHz;
    TableChoice agcTimeConstant100us;
    bool amInverted = false;
    unsigned amGain = 0;
    std::optional<bool> fmInverted;     // none with the companion board
    std::optional<bool> tlm2DeEmphasis; // none with the companion board
    bool rfSwitch = false;              // XDOUT is the RF switch (input A when on)
    std::optional<bool> xdout;          // the unit does not report it: only when sent
    std::optional<unsigned> setup;      // the unit does not report it: only when sent
    unsigned videoGain = 0;
    unsigned ifOutputMode = 0; // 0 hardware control, 1 DAGC control
    bool agcFreeze = false;
    unsigned dagcMode = 0; // 0 linear, 1 constant
    unsigned dagcRangeIndex = 0;
    int dagcLowerDbm = 0;
    int dagcUpperDbm = 0;
    int dagcStartTenths = 0;
    int dagcEndTenths = 0;
    bool agcZero = false;
    bool rssiFiltered = false;
};

// Fields the unit never reports, known only when this run sent them.
struct SentOnly {
    bool setup = false;
    bool xdout = false;
};
ReceiverSettingsReport BuildReceiverSettings(const CVX18D3_Comm& comm, unsigned receiver,
                                             SentOnly sent);

// ---- unit -----------------------------------------------------------------
struct UnitReport {
    bool internalReference = false;
    std::uint32_t externalReferenceMHz = 0;
    bool companionBoard = false;
    bool eepromForced = false;
    bool preferEeprom = false;
    std::array<bool, 8> switches{};
    std::array<bool, 5> discretes{};
    std::array<std::uint32_t, 4> idLeds{};
    struct Attenuator {
        unsigned code = 0;
        bool freeze = false;
    };
    std::array<Attenuator, 2> attenuators{};
    bool attenuatorsAtBoot = false;
    std::uint32_t bootBaudRate = 0;
    std::uint32_t bootSerialType = 0;
    std::array<std::array<bool, 4>, 2> lineariseLocked{};
    std::array<int, 2> temperatureC{};
    std::array<double, 2> supplyVolts{};
    std::array<double, 2> supplyAmps{};
};
UnitReport BuildUnit(const CVX18D3_Comm& comm);

// ---- set / unit: what was applied ---------------------------------------------
struct AppliedSetting {
    std::string setting; // NAME=VALUE as given
    bool ok = false;
};

// ---- record / flash -----------------------------------------------------------
struct RecordSummary {
    std::string file;
    std::uint32_t samples = 0;
    std::uint32_t failedPolls = 0;
    bool interrupted = false;
};

struct FlashReport {
    std::string file;
    std::uint64_t bytes = 0;
    std::uint32_t blocks = 0;
    std::uint32_t blocksSent = 0;
    bool committed = false;
    bool interrupted = false;
    std::string result; // the window's words: "DSP Flash Operation Done" / "Serial Port Error"
};

// Shared derived numbers.
double AttenuatorLevelDb(unsigned code); // code x 0.5 - 31.5
// DAGC slope in dBm per volt; none for a span of 0 V ("Infinite").
std::optional<double> DagcSlope(int lowerDbm, int upperDbm, int startTenths, int endTenths);
std::string DagcRangeLabel(unsigned index);
std::string FirmwareDateText(std::uint32_t date);   // "%8.8X"
const char* BootSerialTypeName(std::uint32_t type); // "RS232", "RS422", "unknown"

} // namespace vx::cli
