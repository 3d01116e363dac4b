// Small text files read whole: the settings file, the configuration cache.
#pragma once

#include <string>

namespace plat {

// Reads a regular file into text. 0, or the errno of the failure: ENOENT
// when there is no such file, EISDIR for a folder, EINVAL for anything else
// that is not a regular file (a device or a pipe is never waited on).
int ReadRegularFile(const std::string& path, std::string& text);

} // namespace plat
