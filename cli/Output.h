// Where a command's results go: TextOutput for people, JsonOutput for
// programs (--json). Every command that prints values goes through one of
// them, so both forms always carry the same values.
#pragma once

#include "cli/Reports.h"

#include <string>
#include <vector>

namespace vx::cli {

class Output {
public:
    virtual ~Output() = default;

    virtual void Ping(const std::string& port, bool online) = 0;
    virtual void Info(const InfoReport& info) = 0;
    virtual void Status(const StatusSample& sample, std::uint32_t number, TimePoint time) = 0;
    virtual void ReceiverSettings(const ReceiverSettingsReport& settings,
                                  const std::vector<AppliedSetting>& applied) = 0;
    virtual void Unit(const UnitReport& unit, const std::vector<AppliedSetting>& applied) = 0;
    virtual void RecordSample(std::uint32_t number, double rssi1Dbm, double rssi2Dbm,
                              TimePoint time) = 0;
    virtual void RecordDone(const RecordSummary& summary) = 0;
    virtual void Flash(const FlashReport& report) = 0;
    // A failure that ends the command, after its message went to standard error.
    virtual void Failure(const std::string& message, int exitStatus) = 0;
};

} // namespace vx::cli
