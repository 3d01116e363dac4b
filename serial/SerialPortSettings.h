// The record that describes one serial port. Its creator owns it; the port
// keeps a pointer to it and never copies it.
#pragma once

#include "platform/Win32Types.h"

namespace vx {

struct SerialPortSettings {
    char portName[8] = {};       // "COM1"; at most 6 characters are stored
    plat::DWORD baudRate = 0;    // bits per second
    plat::BYTE byteSize = 0;     // data bits; always 8 here
    plat::BYTE parity = 0;       // parity code 0 to 4
    plat::BYTE stopBits = 0;     // stop-bits code 0 to 2
    plat::COMMCONFIG commConfig; // its DCB is the one the port reads, edits and applies
};

} // namespace vx
