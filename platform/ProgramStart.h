// Starting this program's own file again, for the window program's restart.
#pragma once

#include <string>
#include <vector>

namespace plat {

// Starts the program file this process runs, with these arguments (the first
// is the program's name as it was started). On Linux the new program
// replaces this process, so the call returns only when that failed; on
// Windows it starts beside this one, which then ends. Returns the reason of
// a failure, empty on success.
std::string StartProgramAgain(const std::vector<std::string>& arguments);

// Sets a variable in this process's environment, which the programs it
// starts (StartProgramAgain among them) inherit.
void SetEnvironmentVariable(const std::string& name, const std::string& value);

} // namespace plat
