// The stored serial settings: read at start-up by every front end, and
// written back by the communications page once they worked, so that the next
// start opens the port with them.
#pragma once

#include "platform/Win32Types.h"

#include <string>

namespace vx {

struct StoredSerialSettings {
    std::string portName = "COM1"; // COM_PORT, at most 260 characters are stored
    plat::DWORD baudRate = 57600;
    plat::DWORD parity = 0;
    plat::DWORD stopBits = 0;
    plat::DWORD timeoutMs = 1000;
};

// Reads COM_PORT, BAUD_RATE, PARITY, STOPBITS and TIMEOUT into settings; a
// value that is not stored keeps what settings holds. A value of the wrong
// type, a listed value out of range and a failed read are each reported in
// the settings-store box (an unaccepted number is taken all the same). FALSE
// when the key could not be opened or closed.
plat::BOOL LoadSerialSettings(StoredSerialSettings& settings);

// Writes COM_PORT, BAUD_RATE, PARITY, STOPBITS and TIMEOUT in this order.
// A value that cannot be written is reported and the next one is still
// written. TRUE when the key was opened and closed (also when a write
// failed); FALSE, after the report box, when it could not be.
plat::BOOL SaveSerialSettings(const StoredSerialSettings& settings);

} // namespace vx
