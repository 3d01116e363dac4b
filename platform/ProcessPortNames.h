// The names given for this process only (SetProcessPortName in PortNames.h),
// which come before every other way a port name reaches a device.
#pragma once

#include <optional>
#include <string>

namespace plat {

// The device path given for the name (matched without regard to case).
std::optional<std::string> ProcessPortName(const std::string& name);

} // namespace plat
