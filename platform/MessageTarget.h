// A window that receives messages: the stand-in for a window handle where the
// system's core sends or posts window messages (the protocol object's trace
// window, the main dialog's poll messages). The user interface implements it;
// tests record what arrives.
#pragma once

#include "platform/Win32Types.h"

namespace plat {

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Delivers the message and returns once it was handled.
    virtual LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

using HWND = MessageTarget*;

} // namespace plat
