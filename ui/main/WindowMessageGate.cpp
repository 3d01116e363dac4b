#include "ui/main/WindowMessageGate.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vx::ui {

struct WindowMessageGate::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    QObject* receiver = nullptr;
    Handler handler;
};

namespace {

// One message sent from another thread, shared by the sender and the queued
// delivery; guarded by the gate's mutex.
struct PendingCall {
    enum class State { Queued, Running, Done, Dropped };
    State state = State::Queued;
    plat::LRESULT result = 0;
};

} // namespace

WindowMessageGate::WindowMessageGate(QObject* receiver, Handler handler)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->receiver = receiver;
    m_shared->handler = std::move(handler);
}

WindowMessageGate::~WindowMessageGate() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->open = false;
    m_shared->changed.notify_all();
}

bool WindowMessageGate::IsOpen() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->open;
}

void WindowMessageGate::Close() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->open = false;
    m_shared->changed.notify_all();
}

plat::LRESULT WindowMessageGate::SendMessage(plat::UINT message, plat::WPARAM wParam,
                                             plat::LPARAM lParam) {
    const std::shared_ptr<Shared> shared = m_shared;
    std::unique_lock lock(shared->mutex);
    if (!shared->open)
        return 0;

    if (QThread::currentThread() == shared->receiver->thread()) {
        Handler handler = shared->handler;
        lock.unlock();
        return handler(message, wParam, lParam);
    }

    auto call = std::make_shared<PendingCall>();
    // Queued while the gate is open and its mutex held: the receiver cannot
    // be destroyed before the gate has been closed, which takes the mutex.
    QMetaObject::invokeMethod(
        shared->receiver,
        [shared, call, message, wParam, lParam] {
            Handler handler;
            {
                std::lock_guard guard(shared->mutex);
                if (!shared->open || call->state != PendingCall::State::Queued)
                    return;
                call->state = PendingCall::State::Running;
                handler = shared->handler;
            }
            const plat::LRESULT result = handler(message, wParam, lParam);
            std::lock_guard guard(shared->mutex);
            call->result = result;
            call->state = PendingCall::State::Done;
            shared->changed.notify_all();
        },
        Qt::QueuedConnection);

    // A message that is already being handled runs to its end; one still in
    // the queue is dropped when the gate closes.
    shared->changed.wait(lock, [&] {
        return call->state == PendingCall::State::Done ||
               (call->state == PendingCall::State::Queued && !shared->open);
    });
    if (call->state == PendingCall::State::Done)
        return call->result;
    call->state = PendingCall::State::Dropped;
    return 0;
}

} // namespace vx::ui
