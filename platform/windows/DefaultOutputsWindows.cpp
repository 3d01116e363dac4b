// Default outputs on Windows. Debugger lines go to the debugger
// (OutputDebugString) and to standard error, where the operator of a
// console program reads them as on Linux. A message box goes to standard
// error when the program has one (a console program, or its output sent to
// a file); a program without one shows the system's message box.
#include "platform/windows/Win32.h"

#include "platform/DefaultOutputs.h"

#include "platform/DebugOutput.h"

#include <string>

namespace plat {
namespace {

::HANDLE StandardError() {
    const ::HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
    if (handle == nullptr || handle == reinterpret_cast<::HANDLE>(-1) ||
        ::GetFileType(handle) == FILE_TYPE_UNKNOWN)
        return nullptr;
    return handle;
}

} // namespace

void WriteDefaultDebugText(std::string_view text) {
    const std::string line(text);
    ::OutputDebugStringA(line.c_str());
    if (const ::HANDLE error = StandardError()) {
        ::DWORD written = 0;
        ::WriteFile(error, line.data(), static_cast<::DWORD>(line.size()), &written, nullptr);
    }
}

int ShowDefaultMessageBox(const MessageBoxRequest& request) {
    if (StandardError()) {
        OutputDebugString("[" + request.caption + "] " + request.text + "\r\n");
        return (request.type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    return ::MessageBoxA(nullptr, request.text.c_str(), request.caption.c_str(),
                         request.type | MB_SETFOREGROUND);
}

} // namespace plat
