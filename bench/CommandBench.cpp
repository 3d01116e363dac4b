// The start-up read-out (ReadDeviceConfiguration) and a firmware transfer
// (blocks of 128 bytes, then the commit) through the protocol object and the
// simulated unit, as ratios to the line time of their bytes.
//
// Usage: vx18d-bench-commands [image-bytes]   (default 1048576: a full image;
// at 57600 baud that alone is more than three minutes of line time)
#include "BenchSupport.h"
#include "support/SimLink.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    const std::size_t imageBytes = argc > 1 ? std::strtoul(argv[1], nullptr, 0) : 1048576;
    std::vector<vx::BYTE> image(imageBytes);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<vx::BYTE>(i * 31 + 7);

    vxbench::PrintHeader("Command set through CVX18D3_Comm and the simulated unit "
                         "(ratio = mean / line time of all requests and replies)");
    for (std::uint32_t baud : {57600u, 921600u}) {
        vxtest::SimLink link({}, baud);
        if (!vxbench::LinkReady(link, baud))
            return 1;
        auto& comm = link.Comm();

        link.Unit().ClearRequests();
        comm.ReadDeviceConfiguration(0);
        const std::uint64_t configBytes = vxbench::ExchangeLineBytes(link.Unit().Requests());
        const std::size_t exchanges = link.Unit().Requests().size();
        auto config = vxbench::TimeRuns(3, [&] {
            comm.ReadDeviceConfiguration(0);
            return comm.m_nLastResult != 0;
        });
        vxbench::PrintRow("ReadDeviceConfiguration (" + std::to_string(exchanges) + " exch.)", baud,
                          config, vxbench::LineSeconds(configBytes, baud));

        // Blocks of 6 + n bytes answered by 6, then the 10 + 10 byte commit.
        const std::size_t blocks = (image.size() + 127) / 128;
        const std::uint64_t transferBytes = image.size() + blocks * 12 + 20;
        auto transfer = vxbench::TimeRuns(1, [&] {
            for (std::size_t offset = 0; offset < image.size(); offset += 128) {
                const auto length =
                    static_cast<vx::UINT>(std::min<std::size_t>(128, image.size() - offset));
                if (!comm.SendFlashBlock(image.data() + offset, length))
                    return false;
            }
            return comm.CommitFlashImage() != 0;
        });
        vxbench::PrintRow("firmware " + std::to_string(image.size()) + " B + commit", baud,
                          transfer, vxbench::LineSeconds(transferBytes, baud));
        // The port pauses 1 ms after every 16th byte it writes: a floor of its own.
        std::printf("%-34s %8u %36.3f s floor of the 1 ms write pauses\n", "", baud,
                    static_cast<double>(image.size() + blocks * 6) / 16.0 / 1000.0);
    }
    return 0;
}
