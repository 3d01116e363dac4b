#include "cli/ValueParsers.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace vx::cli {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::uint64_t> Digits(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> PowerOfTen(unsigned exponent) {
    std::uint64_t value = 1;
    for (unsigned i = 0; i < exponent; ++i) {
        if (value > std::numeric_limits<std::uint64_t>::max() / 10)
            return std::nullopt;
        value *= 10;
    }
    return value;
}

// The decimal scaled by 10^exponent as an unsigned magnitude, when exact.
std::optional<std::uint64_t> ScaledMagnitude(const Decimal& value, unsigned exponent) {
    // Fraction digits beyond the exponent must all be zero.
    std::uint64_t fraction = value.fraction;
    unsigned digits = value.fractionDigits;
    while (digits > exponent) {
        if (fraction % 10 != 0)
            return std::nullopt;
        fraction /= 10;
        --digits;
    }
    const auto wholeScale = PowerOfTen(exponent);
    const auto fractionScale = PowerOfTen(exponent - digits);
    if (!wholeScale || !fractionScale)
        return std::nullopt;
    if (value.whole > std::numeric_limits<std::uint64_t>::max() / *wholeScale)
        return std::nullopt;
    const std::uint64_t whole = value.whole * *wholeScale;
    if (fraction > (std::numeric_limits<std::uint64_t>::max() - whole) / *fractionScale)
        return std::nullopt;
    return whole + fraction * *fractionScale;
}

} // namespace

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::optional<Decimal> ParseDecimal(std::string_view text) {
    Decimal value;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        value.negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    if (point != std::string_view::npos && fraction.empty() && whole.empty())
        return std::nullopt;
    for (std::string_view part : {whole, fraction}) {
        for (char c : part) {
            if (!IsDigit(c))
                return std::nullopt;
        }
    }
    if (fraction.size() > 18)
        return std::nullopt;
    if (!whole.empty()) {
        const auto digits = Digits(whole);
        if (!digits)
            return std::nullopt;
        value.whole = *digits;
    }
    if (!fraction.empty()) {
        value.fraction = *Digits(fraction);
        value.fractionDigits = static_cast<unsigned>(fraction.size());
    }
    return value;
}

std::optional<std::int64_t> ScaleDecimal(const Decimal& value, unsigned exponent) {
    const auto magnitude = ScaledMagnitude(value, exponent);
    if (!magnitude ||
        *magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    const auto signedValue = static_cast<std::int64_t>(*magnitude);
    return value.negative ? -signedValue : signedValue;
}

std::pair<std::string_view, std::string_view> SplitUnit(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && std::isalpha(static_cast<unsigned char>(text[end - 1])))
        --end;
    return {text.substr(0, end), text.substr(end)};
}

std::optional<bool> ParseOnOff(std::string_view text) {
    if (SameText(text, "on") || text == "1")
        return true;
    if (SameText(text, "off") || text == "0")
        return false;
    return std::nullopt;
}

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t low,
                                         std::int64_t high) {
    const auto decimal = ParseDecimal(text);
    if (!decimal)
        return std::nullopt;
    const auto value = ScaleDecimal(*decimal, 0);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> ParseFrequencyHz(std::string_view text) {
    const auto [number, unit] = SplitUnit(text);
    unsigned exponent = 0;
    if (unit.empty() || SameText(unit, "MHz"))
        exponent = 6;
    else if (SameText(unit, "Hz"))
        exponent = 0;
    else if (SameText(unit, "kHz"))
        exponent = 3;
    else if (SameText(unit, "GHz"))
        exponent = 9;
    else
        return std::nullopt;
    const auto decimal = ParseDecimal(number);
    if (!decimal || decimal->negative)
        return std::nullopt;
    const auto hz = ScaleDecimal(*decimal, exponent);
    if (!hz)
        return std::nullopt;
    return static_cast<std::uint64_t>(*hz);
}

std::optional<std::uint64_t> ParseTime100us(std::string_view text) {
    const auto [number, unit] = SplitUnit(text);
    // 100 us = 10^-4 s: us take 10^-2, ms 10^1, s 10^4.
    const auto decimal = ParseDecimal(number);
    if (!decimal || decimal->negative)
        return std::nullopt;
    std::optional<std::int64_t> value;
    if (SameText(unit, "us")) {
        // Exact only in whole hundreds of microseconds.
        const auto micros = ScaleDecimal(*decimal, 0);
        if (!micros || *micros % 100 != 0)
            return std::nullopt;
        value = *micros / 100;
    } else if (SameText(unit, "ms")) {
        value = ScaleDecimal(*decimal, 1);
    } else if (SameText(unit, "s")) {
        value = ScaleDecimal(*decimal, 4);
    } else {
        return std::nullopt;
    }
    if (!value)
        return std::nullopt;
    return static_cast<std::uint64_t>(*value);
}

std::optional<std::int64_t> ParseTenths(std::string_view text) {
    const auto decimal = ParseDecimal(text);
    if (!decimal)
        return std::nullopt;
    return ScaleDecimal(*decimal, 1);
}

} // namespace vx::cli
