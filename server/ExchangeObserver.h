// What the port thread tells about every exchange it finishes: how it ended
// and, for one that reached the unit, how long it took. The metrics count
// them; the observer is called on the port thread and must not block.
#pragma once

#include "server/ExchangeQueue.h"

#include <chrono>

namespace vx::server {

class ExchangeObserver {
public:
    using Seconds = std::chrono::duration<double>;

    virtual ~ExchangeObserver() = default;
    // took is zero for an exchange that was not sent.
    virtual void Exchanged(ExchangeResult::Outcome outcome, Seconds took) = 0;
};

} // namespace vx::server
