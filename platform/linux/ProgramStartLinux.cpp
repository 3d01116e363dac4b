#include "platform/ProgramStart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace plat {

std::string StartProgramAgain(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The program file itself, wherever it was started from.
    ::execv("/proc/self/exe", argv.data());
    return std::strerror(errno);
}

void SetEnvironmentVariable(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

} // namespace plat
