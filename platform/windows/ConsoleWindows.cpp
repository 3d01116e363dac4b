// The console on Windows: standard error is a terminal when it is a console
// (not a file or a pipe); Ctrl-C, Ctrl-Break and the console window closing
// reach the console control handler.
#include "platform/windows/Win32.h"

#include "platform/Console.h"

namespace plat {
namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

::BOOL WINAPI OnConsoleEvent(::DWORD) {
    // The first request is handled (the flag); asked twice, the system's
    // default handler ends the program.
    return g_stop.exchange(true) ? 0 : 1;
}

} // namespace

bool StandardErrorIsTerminal() {
    ::DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void InstallStopRequest() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, 1);
}

std::atomic<bool>& StopRequestFlag() {
    return g_stop;
}

} // namespace plat
