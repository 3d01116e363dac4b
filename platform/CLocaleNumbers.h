// Numbers read in the "C" locale: a '.' for the decimal point, whatever
// locale the process runs in.
#pragma once

namespace plat {

// Reads a number as strtod does in the "C" locale; end as strtod sets it.
double ScanDoubleC(const char* text, char** end);

} // namespace plat
