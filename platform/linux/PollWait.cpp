#include "platform/linux/PollWait.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>

namespace plat {

int WaitReady(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    const std::int64_t deadline = timeoutMs < 0 ? -1 : TickMs() + timeoutMs;
    int waitMs = timeoutMs;
    for (;;) {
        int n = ::poll(&p, 1, waitMs);
        if (n < 0 && errno == EINTR) {
            if (deadline >= 0)
                waitMs = static_cast<int>(std::max<std::int64_t>(deadline - TickMs(), 0));
            continue;
        }
        if (n < 0)
            return -1;
        if (n == 0)
            return 0;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return -1;
        return 1;
    }
}

} // namespace plat
