// Waiting for a descriptor with poll() to a fixed deadline, shared by the
// serial devices and the network devices.
#pragma once

namespace plat {

// Waits for the fd to become ready for events (POLLIN, POLLOUT); returns 1
// ready, 0 time-out, -1 lost (error, hang-up). A negative timeoutMs waits
// without end. The wait runs to a fixed deadline: a signal interrupts poll()
// but does not start the time-out again, so signals that come more often
// than the time-out cannot stretch the wait without end.
int WaitReady(int fd, short events, int timeoutMs);

} // namespace plat
