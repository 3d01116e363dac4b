// Results as JSON for programs (--json): one object on one line per result,
// one per sample for status --watch and record. The field names are part of
// vx18dctl's interface; vx18dctl(1) lists them.
#pragma once

#include "cli/Output.h"

#include <ostream>

namespace vx::cli {

class JsonOutput : public Output {
public:
    explicit JsonOutput(std::ostream& out) : m_out(out) {}

    void Ping(const std::string& port, bool online) override;
    void Info(const InfoReport& info) override;
    void Status(const StatusSample& sample, std::uint32_t number, TimePoint time) override;
    void ReceiverSettings(const ReceiverSettingsReport& settings,
                          const std::vector<AppliedSetting>& applied) override;
    void Unit(const UnitReport& unit, const std::vector<AppliedSetting>& applied) override;
    void RecordSample(std::uint32_t number, double rssi1Dbm, double rssi2Dbm,
                      TimePoint time) override;
    void RecordDone(const RecordSummary& summary) override;
    void Flash(const FlashReport& report) override;
    void Failure(const std::string& message, int exitStatus) override;

private:
    std::ostream& m_out;
};

} // namespace vx::cli
