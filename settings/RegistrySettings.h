// The stored settings of the whole system: one key, its values and their
// defaults, and the one report box for settings-store failures.
#pragma once

#include "platform/Registry.h"
#include "platform/Win32Types.h"

#include <string>

namespace vx {

inline constexpr const char* kSettingsKeyParent = "SOFTWARE\\Corvanta";
inline constexpr const char* kSettingsKeyName = "\\VX18D";

inline constexpr const char* kValueComPort = "COM_PORT";
inline constexpr const char* kValueBaudRate = "BAUD_RATE";
inline constexpr const char* kValueParity = "PARITY";
inline constexpr const char* kValueStopBits = "STOPBITS";
inline constexpr const char* kValueTimeout = "TIMEOUT";
inline constexpr const char* kValueStatusSamples = "STATUS_SAMPLES_PER_SECOND";

inline constexpr const char* kRegistryErrorTitle = "Registry Error";

// "SOFTWARE\Corvanta\VX18D", below HKEY_LOCAL_MACHINE.
std::string SettingsKeyPath();

// Shows "<operation> returned:<code>, Meaning: <system text>" in a
// "Registry Error" box with the error icon and no owner.
void ShowRegistryError(const std::string& operation, plat::DWORD code);

// Shows a plain "Registry Error" box with the error icon and no owner.
void ShowRegistryBox(const std::string& text);

// Opens (creating when missing) the settings key for the access asked
// (KEY_READ or KEY_WRITE). A failure is reported ("RegCreateKeyEx()" with
// its code, or the box "hAppKey is NULL") and gives null.
plat::RegistryKey* OpenSettingsKey(plat::DWORD access);

// Closes the key; a failure is reported ("RegCloseKey()") and gives FALSE.
plat::BOOL CloseSettingsKey(plat::RegistryKey* key);

// One REG_DWORD query into a zeroed 4-byte buffer.
struct DwordQuery {
    plat::LONG error = 0;
    plat::DWORD type = 0;
    plat::DWORD count = 0;
    plat::DWORD value = 0;
    bool IsDword() const;
};
DwordQuery QueryDwordValue(plat::RegistryKey* key, const char* name);

// The box for a value that is not a 4-byte REG_DWORD.
void ShowDwordTypeBox(plat::DWORD type, plat::DWORD count);

} // namespace vx
