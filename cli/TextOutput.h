// Results as text for people: one "name  value" line each, values in the
// units and words the window shows.
#pragma once

#include "cli/Output.h"

#include <ostream>

namespace vx::cli {

class TextOutput : public Output {
public:
    explicit TextOutput(std::ostream& out) : m_out(out) {}

    void Ping(const std::string& port, bool online) override;
    void Info(const InfoReport& info) override;
    void Status(const StatusSample& sample, std::uint32_t number, TimePoint time) override;
    void ReceiverSettings(const ReceiverSettingsReport& settings,
                          const std::vector<AppliedSetting>& applied) override;
    void Unit(const UnitReport& unit, const std::vector<AppliedSetting>& applied) override;
    void RecordSample(std::uint32_t, double, double, TimePoint) override {}
    void RecordDone(const RecordSummary& summary) override;
    void Flash(const FlashReport& report) override;
    void Failure(const std::string&, int) override {}

private:
    void Row(const std::string& name, const std::string& value);
    void Applied(const std::vector<AppliedSetting>& applied);

    std::ostream& m_out;
};

// "HH:MM:SS.mmm" local time.
std::string TimeOfDay(TimePoint time);

// The AGC time constant as the setup page lists it (100 us units in).
std::string AgcTimeConstantText(unsigned units100us);

} // namespace vx::cli
