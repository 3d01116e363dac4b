// Reading and setting a line's termios2 record. The kernel header that
// declares termios2 (<asm/termbits.h>) clashes with glibc's <termios.h>, so
// these calls live in a file of their own that includes only the former.
#pragma once

#include "platform/linux/LineSettings.h"

namespace plat::posix {

// Both return 0 or an errno value.
int GetLineFlags(int fd, LineFlags& flags);
int SetLineFlags(int fd, const LineFlags& flags);

} // namespace plat::posix
