// The DAGC range mode of a receiver setup page: which kind of DAGC range the
// operator works with (default, predefined or programmable), or AGC zero on.
// It is the one piece of state the page keeps of its own. The page decides
// it once from the cache when it opens; afterwards only the three range
// radios, the AGC zero button and a change of the unit's AGC zero move it.
#pragma once

#include <array>
#include <cstdint>

namespace vx::ui::setup {

enum class DagcRangeMode { Default = 0, Predefined = 1, Programmable = 2, AgcZeroOn = 3 };

enum class DagcRangeEvent {
    DefaultRanges,      // radio "Default Ranges" clicked
    PredefinedRanges,   // radio "Predefined Ranges" clicked
    ProgrammableRanges, // radio "Programmable Ranges" clicked
    AgcZeroButton,      // the AGC zero button clicked
    AgcZeroChanged,     // the status poll saw the unit's AGC zero change
};

// The cached DAGC settings the opening mode is decided from.
struct DagcRangeCache {
    bool agcZero;
    std::int8_t lowerDbm;
    std::int8_t upperDbm;
    std::int8_t startVoltage; // tenths of a volt
    std::int8_t endVoltage;
};

class DagcRangeModeMachine {
public:
    DagcRangeMode Mode() const { return m_mode; }

    // At the page's opening: AGC zero on gives AgcZeroOn; the full dBm span
    // with voltages on whole 2 V steps keeps the mode (Default on a new
    // page); anything else was programmed, so Programmable.
    DagcRangeMode Decide(const DagcRangeCache& cache);

    // agcZeroOn is the cached AGC zero at the event: for the button, after
    // the page has copied the unit's reported state into it.
    DagcRangeMode On(DagcRangeEvent event, bool agcZeroOn);

private:
    DagcRangeMode m_mode = DagcRangeMode::Default;
};

// What the DAGC Range Selection frame shows in one mode.
struct DagcRangeView {
    std::array<bool, 3> radioMarked; // Default, Predefined, Programmable
    bool radiosEnabled;
    bool agcZeroMarked;
    const char* agcZeroCaption;
    bool defaultRowEnabled;   // the default row's three captions
    bool predefinedEnabled;   // the predefined list and its dBm caption
    bool predefinedSlope;     // the predefined slope
    bool programmableEnabled; // the spins, edits, captions and Send of the programmable row
};

const DagcRangeView& ViewOf(DagcRangeMode mode);

} // namespace vx::ui::setup
