// The platform layer's device records and the Windows ones, field by field.
// The platform's DCB has the Windows layout but is its own type (its fields
// are fixed-width, Windows' are unsigned long), so every value is carried
// over by name rather than copied as bytes.
#pragma once

#include "platform/windows/Win32.h"

#include "platform/Win32Types.h"

namespace plat {

::DCB ToWin32(const DCB& dcb);
DCB FromWin32(const ::DCB& dcb);

::COMMTIMEOUTS ToWin32(const COMMTIMEOUTS& timeouts);
COMMTIMEOUTS FromWin32(const ::COMMTIMEOUTS& timeouts);

COMSTAT FromWin32(const ::COMSTAT& status);

// The configuration record: its size and version, the DCB and the
// provider's subtype (the provider data is not carried).
COMMCONFIG FromWin32(const ::COMMCONFIG& config);

} // namespace plat
