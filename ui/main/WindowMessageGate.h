// Window messages into the user-interface thread. A message sent from that
// thread is handled at once; one sent from another thread is queued to the
// receiver's thread and the sender waits until it has been handled, as a
// window message sent between threads does.
//
// Closing the gate ends every wait: a sender still waiting gets 0 back and
// its queued message is dropped unhandled. The window closes its gate before
// it waits for the sending thread, so the two never wait for each other.
#pragma once

#include "platform/MessageTarget.h"

#include <functional>
#include <memory>

class QObject;

namespace vx::ui {

class WindowMessageGate : public plat::MessageTarget {
public:
    using Handler = std::function<plat::LRESULT(plat::UINT, plat::WPARAM, plat::LPARAM)>;

    // receiver gives the thread that handles the messages; it must outlive
    // the gate's open state (close the gate before destroying it).
    WindowMessageGate(QObject* receiver, Handler handler);
    ~WindowMessageGate() override;

    plat::LRESULT SendMessage(plat::UINT message, plat::WPARAM wParam,
                              plat::LPARAM lParam) override;

    // Call on the receiver's thread. After it no message is handled any more.
    void Close();
    bool IsOpen() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace vx::ui
