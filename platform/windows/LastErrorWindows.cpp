#include "platform/windows/Win32.h"

#include "platform/LastError.h"

namespace plat {

DWORD GetLastError() {
    return ::GetLastError();
}

void SetLastError(DWORD code) {
    ::SetLastError(code);
}

} // namespace plat
