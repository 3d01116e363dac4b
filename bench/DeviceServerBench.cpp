// Round trips through a serial device server: the link test and a short
// command through ser2net in front of the simulated unit's pseudo-terminal,
// with RFC 2217 and as raw TCP, each with ser2net's default character delay
// and with it switched off, against the same exchanges on the
// pseudo-terminal directly. Ratios are to the line time of the exchange's
// bytes.
#include "BenchSupport.h"
#include "platform/DebugOutput.h"
#include "support/Ser2net.h"
#include "support/SimLink.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    if (!vxtest::Ser2net::Installed()) {
        std::printf("%s\n", vxtest::Ser2net::SkipReason());
        return 1;
    }
    vxbench::PrintHeader("Round trips through ser2net and directly on the pseudo-terminal "
                         "(ratio = mean / line time of request and reply)");
    for (std::uint32_t baud : {57600u, 921600u}) {
        {
            vxtest::SimLink link({}, baud);
            if (!vxbench::LinkReady(link, baud))
                return 1;
            vxbench::PrintRoundTrips(link.Comm(), baud, runs, "pty");
        }
        for (const bool rfc2217 : {true, false}) {
            for (const bool charDelay : {true, false}) {
                plat::DebugCapture quiet; // the raw port's line about its settings
                vxtest::Ser2net server({rfc2217, charDelay, baud});
                vxtest::SimLink link({}, baud, "SIM", server.RouteAs());
                if (!vxbench::LinkReady(link, baud)) {
                    std::printf("%s\n", server.Log().c_str());
                    return 1;
                }
                const std::string route =
                    std::string(rfc2217 ? "rfc2217" : "raw") + (charDelay ? "" : ", chardelay off");
                vxbench::PrintRoundTrips(link.Comm(), baud, runs, route);
            }
        }
    }
    return 0;
}
