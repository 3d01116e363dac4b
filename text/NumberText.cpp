#include "text/NumberText.h"

#include "platform/CLocaleNumbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace vx {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips blanks and reads an optional sign; true when the sign was a minus.
bool TakeSign(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    return negative;
}

// The leading digits as a magnitude, saturated at UINT64_MAX.
std::optional<std::uint64_t> TakeDigits(std::string_view text) {
    if (text.empty() || !IsDigit(text.front()))
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            break;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return UINT64_MAX;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

std::optional<unsigned> ScanUnsigned(std::string_view text) {
    const bool negative = TakeSign(text);
    const auto magnitude = TakeDigits(text);
    if (!magnitude)
        return std::nullopt;
    if (*magnitude > UINT_MAX)
        return UINT_MAX;
    const auto value = static_cast<unsigned>(*magnitude);
    return negative ? 0u - value : value;
}

std::optional<int> ScanInt(std::string_view text) {
    const bool negative = TakeSign(text);
    const auto magnitude = TakeDigits(text);
    if (!magnitude)
        return std::nullopt;
    if (negative)
        return *magnitude >= std::uint64_t{INT_MAX} + 1 ? INT_MIN : -static_cast<int>(*magnitude);
    return *magnitude >= std::uint64_t{INT_MAX} ? INT_MAX : static_cast<int>(*magnitude);
}

std::optional<double> ScanDouble(std::string_view text) {
    // strtod in the "C" locale reads exactly what "%f" reads, with '.'.
    const std::string copy(text);
    char* end = nullptr;
    const double value = plat::ScanDoubleC(copy.c_str(), &end);
    if (end == copy.c_str())
        return std::nullopt;
    return value;
}

std::string FormatDouble(double value, int decimals) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, std::max(decimals, 0));
    if (result.ec != std::errc())
        return {};
    return std::string(buffer, result.ptr);
}

} // namespace vx
