// The termios side of a serial line's settings, and its translation to and
// from the device control block. Kept free of any system call so that the
// translation can be tested on its own: a pseudo-terminal, which the tests
// use as a line, forces 8 data bits and no parity whatever is asked.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace plat::posix {

// The termios flags and rate of one line (the fields of struct termios2 that
// the serial port uses), in the kernel's own flag values.
struct LineFlags {
    std::uint32_t iflag = 0;
    std::uint32_t oflag = 0;
    std::uint32_t cflag = 0;
    std::uint32_t lflag = 0;
    std::uint8_t vmin = 0;
    std::uint8_t vtime = 0;
    std::uint32_t baud = 0; // bits per second, in and out alike
};

struct LineBuildResult {
    DWORD error = ERROR_SUCCESS; // ERROR_INVALID_PARAMETER when the line cannot take the DCB
    std::string reason;          // what was refused, for the debugger line
    LineFlags flags;
};

// Raw mode plus the DCB's rate, data bits, parity, stop bits and flow control
// applied to the flags the line has now. A setting that termios cannot
// express (1.5 stop bits with 6 to 8 data bits, 2 stop bits with 5, a parity
// or byte size outside the DCB's codes, a rate of 0) is refused, never
// replaced by a neighbour.
LineBuildResult BuildLineFlags(const DCB& dcb, const LineFlags& current);

// The DCB fields that the flags express (rate, byte size, parity, stop bits,
// parity checking, flow control), written over base.
DCB DcbFromLineFlags(const LineFlags& flags, const DCB& base);

// The settings that the line must have kept after they were applied: rate,
// data bits, parity and stop bits. Empty when they match; otherwise what
// differs, for the debugger line.
std::string CompareAppliedLine(const LineFlags& wanted, const LineFlags& applied);

} // namespace plat::posix
