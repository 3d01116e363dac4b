// Numbers in the pages' edit fields, read and written the way the C library
// does in the "C" locale, whatever the desktop's language: reading takes
// leading blanks, an optional sign and the leading digits, and stops at the
// first other character ("12abc" reads 12, "abc" reads nothing); writing
// always uses a decimal point.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vx {

// sscanf's "%u": a leading minus wraps as in C ("-1" reads 4294967295); a
// value beyond 32 bits reads as 4294967295. Empty when no digit was read.
std::optional<unsigned> ScanUnsigned(std::string_view text);

// sscanf's "%d", held within the range of int.
std::optional<int> ScanInt(std::string_view text);

// sscanf's "%f" / "%lf": sign, digits, a decimal point, an exponent.
std::optional<double> ScanDouble(std::string_view text);

// printf's "%.<decimals>f".
std::string FormatDouble(double value, int decimals);

} // namespace vx
