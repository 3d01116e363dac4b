// The calling thread's last error code, as GetLastError and SetLastError keep it.
#pragma once

#include "platform/Win32Types.h"

namespace plat {

DWORD GetLastError();
void SetLastError(DWORD code);

// The Win32 code for an errno value, as the serial and file services report it.
DWORD Win32ErrorFromErrno(int error);

} // namespace plat
