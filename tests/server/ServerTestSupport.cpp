#include "ServerTestSupport.h"

namespace vxtest {

::testing::AssertionResult OnlyWholeRequests(const std::vector<Bytes>& logged) {
    // The packets the program sends: type bytes and payload lengths.
    struct Shape {
        std::uint8_t type1, type2;
        std::size_t least, most;
    };
    static constexpr Shape kShapes[] = {
        {0x00, 0x00, 0, 0}, {0x00, 0x20, 0, 0},   {0x01, 0x10, 4, 4},
        {0x00, 0x10, 8, 8}, {0x20, 0x10, 1, 128},
    };
    for (std::size_t i = 0; i < logged.size(); ++i) {
        const Bytes& r = logged[i];
        bool whole = false;
        if (r.size() >= 6 && r[0] == 0x27 && r[1] == 0x00) {
            const std::size_t payload = r[4] | std::size_t{r[5]} << 8;
            for (const Shape& shape : kShapes) {
                whole = whole ||
                        (r[2] == shape.type1 && r[3] == shape.type2 && payload >= shape.least &&
                         payload <= shape.most && r.size() == 6 + payload);
            }
        }
        if (!whole)
            return ::testing::AssertionFailure()
                   << "request " << i << " (" << vx::server::HexText(r) << ") is not whole";
    }
    return ::testing::AssertionSuccess();
}

} // namespace vxtest
