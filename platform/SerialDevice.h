// Serial devices, with the semantics of the Win32 communications calls that
// the serial port is written against (synchronous I/O, DCB line settings,
// COMMTIMEOUTS). On Windows they are the system's own calls
// (windows/SerialDeviceWindows.cpp). On Linux a device is a termios tty in
// raw mode; see linux/SerialDeviceLinux.cpp for how each call maps.
//
// Port names stay "COM1", "COM2" ... and are opened as "\\.\COM3". A name
// reaches a Linux device through the ports folder (PortNames.h) or the
// automatic mapping of serial devices that have no link there.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>

namespace plat {

using HANDLE = std::intptr_t;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD OPEN_EXISTING = 3;

// Opens the device at path ("\\.\COM3") exclusively: a second open, by this
// program or another, fails with ERROR_ACCESS_DENIED as Windows does for a
// port in use. Returns INVALID_HANDLE_VALUE and sets the last error on
// failure; for a device the user may not open and for a device held by
// another program it also writes a debugger line that says which and how to
// fix it.
HANDLE CreateFile(const char* path, DWORD desiredAccess, DWORD shareMode,
                  const void* securityAttributes, DWORD creationDisposition,
                  DWORD flagsAndAttributes, HANDLE templateFile);

BOOL CloseHandle(HANDLE handle);

// Line settings. SetCommState applies the DCB and reads it back; a setting
// the line cannot take (1.5 stop bits with 8 data bits, a rate the driver
// refuses or changes) fails with ERROR_INVALID_PARAMETER and nothing is
// silently replaced.
BOOL GetCommState(HANDLE handle, DCB* dcb);
BOOL SetCommState(HANDLE handle, const DCB* dcb);

BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts);
BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts);

// Synchronous reads and writes under the COMMTIMEOUTS. A device that went
// away (adapter unplugged) fails at once with ERROR_DEVICE_NOT_CONNECTED.
BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);
BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               void* overlapped);

// Clears the device's error state and reports the queue sizes.
BOOL ClearCommError(HANDLE handle, DWORD* errors, COMSTAT* status);

inline constexpr DWORD PURGE_TXCLEAR = 0x0004;
inline constexpr DWORD PURGE_RXCLEAR = 0x0008;
// Discards what is waiting in the driver's queues, without waiting.
BOOL PurgeComm(HANDLE handle, DWORD flags);

// Fills config with the default settings of the named port ("COM3"); FALSE
// when the name reaches no serial device (see PortProbe.h). The device is
// not opened.
BOOL GetDefaultCommConfig(const char* name, COMMCONFIG* config, DWORD* size);

} // namespace plat
