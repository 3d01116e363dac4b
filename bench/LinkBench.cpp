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
        vxbench::PrintRoundTrips(link.Comm(), baud, 200, "");
    }
    return 0;
}
