// vx18dctl: the command-line front end over the same core as the window.
#include "cli/Commands.h"
#include "cli/StopSignal.h"
#include "platform/Console.h"

#include <iostream>

int main(int argc, char** argv) {
    vx::cli::InstallStopSignal();
    vx::cli::Console console{std::cout, std::cerr, plat::StandardErrorIsTerminal(), {}};
    const int status = vx::cli::Run(argc, argv, console);
    std::cout.flush();
    return status;
}
