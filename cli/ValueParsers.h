// The values of NAME=VALUE settings: exact decimal numbers with units, read
// without floating point so that what is typed is what is sent. Each parser
// gives nothing when the text is not such a value; the caller names the
// value and what is allowed.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vx::cli {

// A decimal number: optional sign, digits, optional fraction.
struct Decimal {
    bool negative = false;
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;  // the fraction's digits as a number
    unsigned fractionDigits = 0; // how many digits the fraction has
};
std::optional<Decimal> ParseDecimal(std::string_view text);

// The decimal times 10^exponent, when that is a whole number that fits.
std::optional<std::int64_t> ScaleDecimal(const Decimal& value, unsigned exponent);

// Splits "2250.5MHz" into the number and its unit ("MHz"); the unit may be empty.
std::pair<std::string_view, std::string_view> SplitUnit(std::string_view text);

// "on"/"off" (also 1/0).
std::optional<bool> ParseOnOff(std::string_view text);

// A whole number within [low, high].
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t low,
                                         std::int64_t high);

// A frequency in whole hertz: a number with Hz, kHz, MHz or GHz, MHz when
// there is no unit (as the window's frequency field reads).
std::optional<std::uint64_t> ParseFrequencyHz(std::string_view text);

// A time in units of 100 us: a number with us, ms or s.
std::optional<std::uint64_t> ParseTime100us(std::string_view text);

// A number in tenths (volts as the DAGC range keeps them, attenuator half-dB
// steps are done by the caller): "-2.5" gives -25.
std::optional<std::int64_t> ParseTenths(std::string_view text);

// Case-insensitive comparison.
bool SameText(std::string_view a, std::string_view b);

} // namespace vx::cli
