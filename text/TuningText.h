// The tuning frequency as the operator types it on a receiver setup page:
// megahertz with an optional fraction. One reading for every front end that
// takes the field's text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vx {

// The frequency in hertz: the whole megahertz before the point, and the
// first six digits after it (padded with zeros) as hertz, so "2250.5" is
// 2250 MHz + 500000 Hz and "1444.1234567" is 1444123456 Hz; megahertz beyond
// 32 bits read as 4294967295. Blanks around the number are allowed. Empty
// when the text is not a frequency: a character other than digits and one
// point, or no digits before the point.
std::optional<std::uint64_t> TuningTextHz(std::string_view text);

} // namespace vx
