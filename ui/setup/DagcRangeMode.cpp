#include "ui/setup/DagcRangeMode.h"

#include <algorithm>

namespace vx::ui::setup {
namespace {

constexpr std::int8_t kFullSpanLowerDbm = -110;
constexpr std::int8_t kFullSpanUpperDbm = 10;
// Voltages of the predefined ranges, tenths of a volt.
constexpr std::array<std::int8_t, 5> kWholeStepVoltages{-40, -20, 0, 20, 40};

bool OnWholeStep(std::int8_t voltage) {
    return std::find(kWholeStepVoltages.begin(), kWholeStepVoltages.end(), voltage) !=
           kWholeStepVoltages.end();
}

constexpr std::array<DagcRangeView, 4> kViews{{
    // Radios marked, enabled; AGC zero; default row; predefined; its slope; programmable
    {{true, false, false}, true, false, "AGC Zero Off", true, false, false, false},
    {{false, true, false}, true, false, "AGC Zero Off", false, true, true, false},
    {{false, false, true}, true, false, "AGC Zero Off", false, false, false, true},
    {{false, false, false}, false, true, "AGC Zero On", false, false, false, false},
}};

} // namespace

DagcRangeMode DagcRangeModeMachine::Decide(const DagcRangeCache& cache) {
    if (cache.agcZero)
        m_mode = DagcRangeMode::AgcZeroOn;
    else if (cache.lowerDbm != kFullSpanLowerDbm || cache.upperDbm != kFullSpanUpperDbm ||
             !OnWholeStep(cache.startVoltage) || !OnWholeStep(cache.endVoltage))
        m_mode = DagcRangeMode::Programmable;
    return m_mode;
}

DagcRangeMode DagcRangeModeMachine::On(DagcRangeEvent event, bool agcZeroOn) {
    switch (event) {
    case DagcRangeEvent::DefaultRanges:
        m_mode = DagcRangeMode::Default;
        break;
    case DagcRangeEvent::PredefinedRanges:
        m_mode = DagcRangeMode::Predefined;
        break;
    case DagcRangeEvent::ProgrammableRanges:
        m_mode = DagcRangeMode::Programmable;
        break;
    case DagcRangeEvent::AgcZeroButton:
        // The button turns AGC zero over: off leaves the programmed range in force.
        m_mode = agcZeroOn ? DagcRangeMode::Programmable : DagcRangeMode::AgcZeroOn;
        break;
    case DagcRangeEvent::AgcZeroChanged:
        m_mode = agcZeroOn ? DagcRangeMode::AgcZeroOn : DagcRangeMode::Programmable;
        break;
    }
    return m_mode;
}

const DagcRangeView& ViewOf(DagcRangeMode mode) {
    return kViews[static_cast<std::size_t>(mode)];
}

} // namespace vx::ui::setup
