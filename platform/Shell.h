// The desktop's "open" for a file: the program that the desktop associates
// with the file's type opens it.
#pragma once

#include "platform/Win32Types.h"

#include <functional>
#include <string>

namespace plat {

// Returns a value above 32 on success and sets the thread's last error and
// returns a value of 32 or less on failure, as the Windows shell does.
std::intptr_t ShellOpen(const std::string& path);

using ShellOpenHandler = std::function<std::intptr_t(const std::string& path)>;
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

} // namespace plat
