// Round trip of the link test and of a 10-byte short command through the
// protocol object, the serial port and the simulated unit on a
// pseudo-terminal, as ratios to the line time of their bytes.
#include "BenchSupport.h"
#include "support/SimLink.h"

#include <cstdio>

int main() {
    vxbench::PrintHeader("Round trips through CVX18D3_Comm and the simulated unit "
                         "(ratio = mean / line time of request and reply)");
    for (std::uint32_t baud : {57600u, 921600u}) {
        vxtest::SimLink link({}, baud);
        if (!vxbench::LinkReady(link, baud))
            return 1;
        auto& comm = link.Comm();

        auto ping = vxbench::TimeRuns(200, [&] { return comm.Ping(0) && comm.m_nLastResult; });
        vxbench::PrintRow("link test (6 + 6 bytes)", baud, ping, vxbench::LineSeconds(12, baud));

        // Reading the AM counter: a short command, 10 bytes each way.
        auto shortCommand = vxbench::TimeRuns(200, [&] {
            vx::BYTE request[10] = {0, 0, 0x01, 0x10, 0, 0, 0x38, 0, 0, 0};
            vx::BYTE reply[10] = {};
            return comm.Transact(request, 4, reply, 4, 0) != 0;
        });
        vxbench::PrintRow("short command (10 + 10 bytes)", baud, shortCommand,
                          vxbench::LineSeconds(20, baud));
    }
    return 0;
}
