// Which port names reach a serial device, and what that device is, found out
// from what the system already knows (file status, symbolic links, sysfs)
// without opening the device: probing never locks, resets or disturbs a
// port, neither one another program holds nor the one this program has open.
//
// A name counts as a serial port when it resolves (PortNames.h) to a
// character device that is a terminal taking serial line settings: a tty
// with hardware behind it (a fitted UART, a USB adapter, a modem-class ACM
// device) or the slave side of a pseudo-terminal (a simulated unit, a serial
// line forwarded over the network). Dangling links, ordinary files, devices
// that are not terminals, virtual consoles and UART slots without a UART
// fitted are not serial ports.
//
// A name that reaches a well-formed network address (a line behind a serial
// device server, NetworkAddress.h) is a serial port too; probing it connects
// to nothing. A malformed address is not a port.
#pragma once

#include <optional>
#include <string>

namespace plat {

struct SerialPortDescription {
    std::string devicePath; // the device node reached, every link followed ("/dev/ttyUSB0")
    bool pseudoTerminal = false;
    // A line behind a serial device server: devicePath holds its address
    // ("rfc2217://rack3-ts:4001") and nothing is known of the line itself.
    bool networkAddress = false;
    // Of a USB adapter (empty otherwise), as the adapter reports them.
    std::string usbManufacturer;
    std::string usbProduct;
    std::string usbSerialNumber;
};

// The serial device a port name ("COM7") reaches, or nothing.
std::optional<SerialPortDescription> ProbeSerialPort(const std::string& name);

// The serial device at devicePath, looked up in the sysfs tree below
// sysfsRoot ("/sys" on a running system), or nothing when it is none.
std::optional<SerialPortDescription> DescribeSerialDevice(const std::string& devicePath,
                                                          const std::string& sysfsRoot = "/sys");

// One line for the operator: the device, and for a USB adapter its maker,
// product and serial number ("/dev/ttyUSB0 - FTDI FT232R USB UART, serial
// number A10K3XYZ").
std::string DescribeForOperator(const SerialPortDescription& port);

} // namespace plat
