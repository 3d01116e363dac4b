#include "text/TuningText.h"

#include "text/NumberText.h"

#include <string>

namespace vx {
namespace {

constexpr std::size_t kHertzDigits = 6;
constexpr std::string_view kBlanks = " \t\n\v\f\r";

} // namespace

std::optional<std::uint64_t> TuningTextHz(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    if (text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    const std::size_t point = text.find('.');
    if (point != std::string_view::npos && text.find('.', point + 1) != std::string_view::npos)
        return std::nullopt;

    const auto mhz = ScanUnsigned(text.substr(0, point));
    if (!mhz)
        return std::nullopt;
    std::string fraction(point == std::string_view::npos ? std::string_view()
                                                         : text.substr(point + 1, kHertzDigits));
    fraction.resize(kHertzDigits, '0');
    return std::uint64_t{*mhz} * 1'000'000u + ScanUnsigned(fraction).value_or(0u);
}

} // namespace vx
