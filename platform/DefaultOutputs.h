// What debugger lines, message boxes, beeps and the desktop's "open" do when
// no sink or handler is installed (DebugOutput.h, MessageBox.h, Beep.h,
// Shell.h): each platform's own service.
#pragma once

#include "platform/MessageBox.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// Writes the text, unchanged, where a developer or operator reads it.
void WriteDefaultDebugText(std::string_view text);

// Shows the box where the process can; returns the button pressed (a
// question's cautious answer, IDNO, where no one can answer it).
int ShowDefaultMessageBox(const MessageBoxRequest& request);

// Sounds the tone; TRUE when it was handed to an output.
BOOL PlayDefaultTone(DWORD frequencyHz, DWORD durationMs);

// Opens the file with the program the desktop associates with its type; the
// shell's result (above 32 on success, the last error set otherwise).
std::intptr_t OpenWithDesktop(const std::string& path);

} // namespace plat
