// Serial devices on Windows: the communications calls themselves. A port
// name opens as "\\.\COM7"; a name given for this process only
// (PortNames.h) opens the device it names. Lines behind serial device
// servers are not part of the Windows build: such a name fails with
// ERROR_NOT_SUPPORTED and a debugger line that says so.
#include "platform/windows/Win32.h"

#include "platform/SerialDevice.h"

#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/NetworkAddress.h"
#include "platform/PortNames.h"
#include "platform/windows/DcbTranslation.h"

#include <string>

namespace plat {
namespace {

const std::string kDevicePrefix = "\\\\.\\";

::HANDLE Win32Handle(HANDLE handle) {
    return reinterpret_cast<::HANDLE>(handle);
}

BOOL Fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

std::string PortNameFromPath(const char* path) {
    std::string text = path ? path : "";
    if (text.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0)
        text.erase(0, kDevicePrefix.size());
    return text;
}

// The debugger line for a port that would not open, as the operator reads it.
void ReportOpenFailure(const std::string& name, const std::string& path, DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        OutputDebugFormat("%s (%s): no serial device has this name.\r\n", name.c_str(),
                          path.c_str());
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        OutputDebugFormat("%s (%s): in use by another program; close it and try again.\r\n",
                          name.c_str(), path.c_str());
        break;
    default:
        break; // the caller words the system's message for the code
    }
}

} // namespace

HANDLE CreateFile(const char* path, DWORD desiredAccess, DWORD shareMode, const void*,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
    const std::string name = PortNameFromPath(path);
    const std::string device = ResolvePortName(name).value_or(kDevicePrefix + name);
    if (LooksLikeNetworkAddress(device)) {
        OutputDebugFormat("%s (%s): lines behind serial device servers are not available in the "
                          "Windows build; give the port's COM name.\r\n",
                          name.c_str(), device.c_str());
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    const ::HANDLE handle = ::CreateFileA(device.c_str(), desiredAccess, shareMode, nullptr,
                                          creationDisposition, flagsAndAttributes, nullptr);
    if (handle == reinterpret_cast<::HANDLE>(INVALID_HANDLE_VALUE)) {
        const DWORD error = ::GetLastError();
        ReportOpenFailure(name, device, error);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(handle);
}

BOOL CloseHandle(HANDLE handle) {
    return ::CloseHandle(Win32Handle(handle)) ? TRUE : FALSE;
}

BOOL GetCommState(HANDLE handle, DCB* dcb) {
    if (!dcb)
        return Fail(ERROR_INVALID_PARAMETER);
    ::DCB state{};
    state.DCBlength = sizeof state;
    if (!::GetCommState(Win32Handle(handle), &state))
        return FALSE;
    *dcb = FromWin32(state);
    return TRUE;
}

BOOL SetCommState(HANDLE handle, const DCB* dcb) {
    if (!dcb)
        return Fail(ERROR_INVALID_PARAMETER);
    ::DCB state = ToWin32(*dcb);
    return ::SetCommState(Win32Handle(handle), &state) ? TRUE : FALSE;
}

BOOL GetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    if (!timeouts)
        return Fail(ERROR_INVALID_PARAMETER);
    ::COMMTIMEOUTS current{};
    if (!::GetCommTimeouts(Win32Handle(handle), &current))
        return FALSE;
    *timeouts = FromWin32(current);
    return TRUE;
}

BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts) {
    if (!timeouts)
        return Fail(ERROR_INVALID_PARAMETER);
    ::COMMTIMEOUTS wanted = ToWin32(*timeouts);
    return ::SetCommTimeouts(Win32Handle(handle), &wanted) ? TRUE : FALSE;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*) {
    ::DWORD done = 0;
    const BOOL ok = ::ReadFile(Win32Handle(handle), buffer, bytesToRead, &done, nullptr);
    if (bytesRead)
        *bytesRead = done;
    return ok ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void*) {
    ::DWORD done = 0;
    const BOOL ok = ::WriteFile(Win32Handle(handle), buffer, bytesToWrite, &done, nullptr);
    if (bytesWritten)
        *bytesWritten = done;
    return ok ? TRUE : FALSE;
}

BOOL ClearCommError(HANDLE handle, DWORD* errors, COMSTAT* status) {
    ::DWORD found = 0;
    ::COMSTAT queues{};
    if (!::ClearCommError(Win32Handle(handle), &found, &queues))
        return FALSE;
    if (errors)
        *errors = found;
    if (status)
        *status = FromWin32(queues);
    return TRUE;
}

BOOL PurgeComm(HANDLE handle, DWORD flags) {
    return ::PurgeComm(Win32Handle(handle), flags) ? TRUE : FALSE;
}

BOOL GetDefaultCommConfig(const char* name, COMMCONFIG* config, DWORD* size) {
    if (!name || !config || !size)
        return Fail(ERROR_INVALID_PARAMETER);
    if (*size < 52) {
        *size = 52;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    // The provider may add data after the record; room for it is kept here.
    union {
        ::COMMCONFIG config;
        char bytes[1024];
    } defaults{};
    ::DWORD defaultsSize = sizeof defaults;
    defaults.config.dwSize = sizeof(::COMMCONFIG);
    if (!::GetDefaultCommConfigA(name, &defaults.config, &defaultsSize))
        return FALSE;
    *config = FromWin32(defaults.config);
    return TRUE;
}

} // namespace plat
