// Modal message boxes. The system shows every operator-facing error in one;
// the program installs boxes of its user interface, tests install a recorder.
// Without either, a box is written to standard error so no message is lost.
#pragma once

#include "platform/Win32Types.h"

#include <functional>
#include <string>
#include <vector>

namespace plat {

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_DEFBUTTON2 = 0x100; // the second button is the default
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    UINT type = MB_OK;
    const void* owner = nullptr; // the owning window, or null for none
    // Captions in place of the standard ones of MB_YESNO ("Yes", "No"), in
    // that order; empty for the standard captions.
    std::vector<std::string> buttons;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows the box and returns the button pressed (IDNO for a question box
// closed without an answer, and where no box can be shown).
int ShowMessageBox(const std::string& text, const std::string& caption, UINT type,
                   const void* owner = nullptr, std::vector<std::string> buttons = {});

// Installs a handler and returns the previous one; an empty handler restores
// the standard-error fallback.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace plat
