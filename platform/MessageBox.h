// Modal message boxes. The system shows every operator-facing error in one;
// the program installs boxes of its user interface, tests install a recorder.
// Without either, a box is written to standard error so no message is lost.
#pragma once

#include "platform/Win32Types.h"

#include <functional>
#include <string>

namespace plat {

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    UINT type = MB_OK;
    const void* owner = nullptr; // the owning window, or null for none
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows the box and returns the button pressed.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT type,
                   const void* owner = nullptr);

// Installs a handler and returns the previous one; an empty handler restores
// the standard-error fallback.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace plat
