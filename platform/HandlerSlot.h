// One installed handler that any thread may replace while others call it:
// a caller takes a copy and calls that, outside the lock.
#pragma once

#include <mutex>
#include <utility>

namespace plat {

template <class Handler> class HandlerSlot {
public:
    Handler Get() const {
        std::lock_guard lock(m_mutex);
        return m_handler;
    }
    // Installs handler and returns the previous one.
    Handler Swap(Handler handler) {
        std::lock_guard lock(m_mutex);
        Handler previous = std::move(m_handler);
        m_handler = std::move(handler);
        return previous;
    }

private:
    mutable std::mutex m_mutex;
    Handler m_handler;
};

} // namespace plat
