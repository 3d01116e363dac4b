// The byte-trace flag the reference clock page passes with each operation.
#pragma once

#include "platform/Win32Types.h"

namespace vx::ui {

inline constexpr plat::BOOL kTraceOff = 0;
inline constexpr plat::BOOL kTraceOn = 1;

} // namespace vx::ui
