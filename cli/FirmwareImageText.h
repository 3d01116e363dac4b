// What vx18dctl says about a firmware image file the loader could not use:
// the file's name, then the reason, with the system's words for an error
// of the file system.
#pragma once

#include "unit/FirmwareLoader.h"

#include <string>

namespace vx::cli {

// The reason an image file cannot be loaded; empty when the outcome is not
// about the file (the image was read whole, or the unit refused it).
std::string FirmwareImageProblem(const std::string& path, const FirmwareLoadOutcome& outcome);

} // namespace vx::cli
