#include "platform/Console.h"

#include <csignal>
#include <unistd.h>

namespace plat {
namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
    if (g_stop.exchange(true)) {
        // Asked twice: the default action ends the program.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

} // namespace

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void InstallStopRequest() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: waits return early and look at the flag
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::atomic<bool>& StopRequestFlag() {
    return g_stop;
}

} // namespace plat
