// System message texts for Win32 error codes, as FormatMessage gives them
// from the system message table in the default language (ending in "\r\n").
#pragma once

#include "platform/Win32Types.h"

#include <string>

namespace plat {

// The text for the code; an unknown code gives an empty text, as
// FormatMessage does when the message table has no entry.
std::string FormatSystemMessage(DWORD code);

// Removes trailing white space and line breaks.
std::string TrimRight(std::string text);

} // namespace plat
