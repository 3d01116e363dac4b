// What the About box tells about the program's build.
#pragma once

#include <string>

namespace vx::ui {

// When the program was built: "Mmm dd yyyy - hh:mm:ss".
std::string BuildStamp();

// The About box's build line: the version and the build stamp,
// "Version 1.0.0.1 - Mmm dd yyyy - hh:mm:ss".
std::string BuildLine();

// The compiler that built the program and its version, e.g. "GCC:12.2.0".
std::string CompilerVersionLine();

// Turns the compiler's __DATE__ and __TIME__ texts into the build stamp; the
// day, which __DATE__ pads with a blank, gets a leading zero.
std::string FormatBuildStamp(const char* date, const char* time);

} // namespace vx::ui
