#include "platform/ProgramStart.h"

#include <cerrno>
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

} // namespace plat
