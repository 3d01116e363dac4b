// The desktop's "open" on Windows: ShellExecute with the "open" verb.
#include "platform/windows/Win32.h"

#include <shellapi.h>

#include "platform/DefaultOutputs.h"

namespace plat {

std::intptr_t OpenWithDesktop(const std::string& path) {
    const ::HINSTANCE result =
        ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

} // namespace plat
