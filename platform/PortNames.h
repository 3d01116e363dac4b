// How port names ("COM3") reach serial devices. On Windows the names are
// the system's own (COM1 to COM255, "\\.\COM3"), after the names given for
// this process (3. below). On Linux:
//
// 1. The ports folder (ConfigPaths.h) holds one symbolic link per name,
//    COM3 -> /dev/ttyUSB0 or COM3 -> /dev/serial/by-id/usb-..., the
//    convention Wine uses for its dosdevices. Names are matched without
//    regard to case. A link into /dev/serial/by-id keeps a port with one
//    adapter across replugging. A link may instead hold the address of a
//    line behind a serial device server (COM9 -> rfc2217://rack3-ts:4001,
//    see NetworkAddress.h); ResolvePortName then gives the address.
// 2. Serial devices without a link get a fixed automatic name from the
//    device's own kernel name, so plugging in another adapter never
//    renumbers the ports already in use:
//      COM1  .. COM32  = /dev/ttyS0   .. /dev/ttyS31   (present UARTs only)
//      COM33 .. COM64  = /dev/ttyUSB0 .. /dev/ttyUSB31
//      COM65 .. COM96  = /dev/ttyACM0 .. /dev/ttyACM31
//    A link in the ports folder takes precedence over the automatic name.
// 3. A name given for this process only (SetProcessPortName) comes first.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plat {

// The device path for a port name, or nothing when the name reaches none.
std::optional<std::string> ResolvePortName(const std::string& name);

// Names a device for this process only, ahead of the ports folder and the
// automatic names: a front end that was handed a device path opens it under
// this name. An empty path forgets the name.
void SetProcessPortName(const std::string& name, const std::string& devicePath);

// The automatic device path for "COMn", without looking at the file system.
std::optional<std::string> AutomaticPortDevice(const std::string& name);

// The automatic name for a device path ("/dev/ttyUSB0" -> "COM33").
std::optional<std::string> AutomaticPortName(const std::string& devicePath);

} // namespace plat
