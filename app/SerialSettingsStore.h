// Storing the serial settings that worked, so that the next start opens the
// port with them: the values that start-up reads (CVX18DApp) written back.
#pragma once

#include "platform/Win32Types.h"

#include <string>

namespace vx {

struct StoredSerialSettings {
    std::string portName; // COM_PORT, at most 260 characters are stored
    plat::DWORD baudRate = 57600;
    plat::DWORD parity = 0;
    plat::DWORD stopBits = 0;
    plat::DWORD timeoutMs = 1000;
};

// Writes COM_PORT, BAUD_RATE, PARITY, STOPBITS and TIMEOUT in this order.
// A value that cannot be written is reported and the next one is still
// written. TRUE when the key was opened and closed (also when a write
// failed); FALSE, after the report box, when it could not be.
plat::BOOL SaveSerialSettings(const StoredSerialSettings& settings);

} // namespace vx
