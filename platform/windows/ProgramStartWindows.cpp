// Starting the program again on Windows: the program file this process runs,
// with the arguments quoted as the C run-time splits them.
#include "platform/windows/Win32.h"

#include "platform/ProgramStart.h"

#include "platform/SystemMessage.h"

namespace plat {
namespace {

std::string Quoted(const std::string& argument) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

} // namespace

std::string StartProgramAgain(const std::vector<std::string>& arguments) {
    char program[MAX_PATH * 4];
    const ::DWORD length = ::GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return TrimRight(FormatSystemMessage(::GetLastError()));
    std::string commandLine = Quoted(program);
    for (std::size_t i = 1; i < arguments.size(); ++i)
        commandLine += " " + Quoted(arguments[i]);
    ::STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program, commandLine.data(), nullptr, nullptr, 0, 0, nullptr, nullptr,
                          &startup, &started))
        return TrimRight(FormatSystemMessage(::GetLastError()));
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return {};
}

void SetEnvironmentVariable(const std::string& name, const std::string& value) {
    // The process's own block, which CreateProcess hands on; the C run-time's
    // copy (getenv) of this process is not needed.
    ::SetEnvironmentVariableA(name.c_str(), value.c_str());
}

} // namespace plat
