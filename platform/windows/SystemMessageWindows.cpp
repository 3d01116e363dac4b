#include "platform/windows/Win32.h"

#include "platform/SystemMessage.h"

namespace plat {

std::string FormatSystemMessage(DWORD code) {
    char* text = nullptr;
    const ::DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
        nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    ::LocalFree(text);
    return message;
}

} // namespace plat
