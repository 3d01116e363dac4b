// Holds the 1 ms timer resolution for as long as it lives. The 1 ms sleeps of
// the port's write pacing and of the status worker rely on it.
#pragma once

namespace vx {

class TimePeriod {
public:
    TimePeriod();
    virtual ~TimePeriod();
    TimePeriod(const TimePeriod&) = delete;
    TimePeriod& operator=(const TimePeriod&) = delete;
};

} // namespace vx
