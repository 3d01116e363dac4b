// The settings store, with the semantics of the Windows registry calls that
// the system uses. On Windows it is the registry itself (the calls forward to
// the system's, and there is no settings file: FindRegistryFileProblem finds
// none and SetRegistryFile does nothing). On Linux it lives in one text file in the format of a
// Windows .reg export (REGEDIT4 / "Windows Registry Editor Version 5.00"),
// so an operator can read and edit it and import it on Windows:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Corvanta\VX18D]
//   "COM_PORT"="COM3"
//   "BAUD_RATE"=dword:0000e100
//
// The file is SettingsFilePath() (see ConfigPaths.h) unless a test points the
// store elsewhere. Every call reads the file again, so an edit made while the
// program runs is seen at once. Every write replaces the file atomically
// (temporary file, then rename) and keeps every key, value and comment it does
// not touch. A file that cannot be parsed makes the calls fail with
// ERROR_BADDB and is never overwritten; a file that cannot be read or written
// gives ERROR_ACCESS_DENIED, ERROR_CANTREAD or ERROR_CANTWRITE. Each failure
// writes one debugger line naming the file (and the bad line). Calls from any
// thread are safe.
#pragma once

#include "platform/Win32Types.h"

#include <cstddef>
#include <optional>
#include <string>

namespace plat {

struct RegistryKey;
using HKEY = RegistryKey*;

// Predefined root keys.
extern const HKEY HKEY_CLASSES_ROOT;
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;
extern const HKEY HKEY_USERS;

using REGSAM = DWORD;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Opens the key below hKey, creating it (and the file) when missing.
// Returns ERROR_SUCCESS and a handle, or a Win32 error code. The handle keeps
// the access asked for: KEY_READ allows queries, KEY_WRITE allows setting
// values and creating keys below it. A key opened for writing whose file or
// folder is not writable gives ERROR_ACCESS_DENIED here.
LONG RegCreateKeyEx(HKEY hKey, const char* subKey, DWORD reserved, const char* className,
                    DWORD options, REGSAM samDesired, const void* securityAttributes, HKEY* result,
                    DWORD* disposition);

// Reads a value. With data null only the type and size are returned; with a
// buffer too small for the value the call returns ERROR_MORE_DATA and sets
// *cbData to the size needed. A missing value gives ERROR_FILE_NOT_FOUND.
// REG_SZ data includes its terminating zero.
LONG RegQueryValueEx(HKEY hKey, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* cbData);

// Stores a value of any type; the key must have been opened with write access
// (ERROR_ACCESS_DENIED otherwise).
LONG RegSetValueEx(HKEY hKey, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD cbData);

LONG RegCloseKey(HKEY hKey);

// What makes the settings file unusable when it cannot be parsed: the file,
// the first line that cannot be read (from 1) and why.
struct RegistryFileProblem {
    std::string file;
    std::size_t line = 0;
    std::string reason;
};
// The settings file's parse problem; none for a file that parses, a missing
// file, or one that cannot be read at all (the calls report those).
std::optional<RegistryFileProblem> FindRegistryFileProblem();

// Points the store at another file (tests); an empty path returns to
// SettingsFilePath().
void SetRegistryFile(const std::string& path);
std::string RegistryFile();

} // namespace plat
