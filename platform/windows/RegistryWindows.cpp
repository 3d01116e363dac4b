// The settings store on Windows: the registry itself, through the
// narrow-character registry calls. The key handles are the system's.
#include "platform/windows/Win32.h"

#include "platform/Registry.h"

#include <cstdint>

namespace plat {
namespace {

HKEY Root(std::uintptr_t value) {
    return reinterpret_cast<HKEY>(value);
}

::HKEY Win32Key(HKEY key) {
    return reinterpret_cast<::HKEY>(key);
}

} // namespace

const HKEY HKEY_CLASSES_ROOT = Root(0x80000000u);
const HKEY HKEY_CURRENT_USER = Root(0x80000001u);
const HKEY HKEY_LOCAL_MACHINE = Root(0x80000002u);
const HKEY HKEY_USERS = Root(0x80000003u);

LONG RegCreateKeyEx(HKEY hKey, const char* subKey, DWORD reserved, const char* className,
                    DWORD options, REGSAM samDesired, const void*, HKEY* result,
                    DWORD* disposition) {
    ::HKEY created = nullptr;
    ::DWORD how = 0;
    const LONG status =
        ::RegCreateKeyExA(Win32Key(hKey), subKey, reserved, const_cast<char*>(className), options,
                          samDesired, nullptr, &created, &how);
    if (status == ERROR_SUCCESS && result)
        *result = reinterpret_cast<HKEY>(created);
    if (status == ERROR_SUCCESS && disposition)
        *disposition = how;
    return status;
}

LONG RegQueryValueEx(HKEY hKey, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* cbData) {
    ::DWORD valueType = 0;
    ::DWORD size = cbData ? *cbData : 0;
    const LONG status =
        ::RegQueryValueExA(Win32Key(hKey), valueName, reinterpret_cast<::LPDWORD>(reserved),
                           &valueType, data, cbData ? &size : nullptr);
    if (type && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA))
        *type = valueType;
    if (cbData && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA))
        *cbData = size;
    return status;
}

LONG RegSetValueEx(HKEY hKey, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD cbData) {
    return ::RegSetValueExA(Win32Key(hKey), valueName, reserved, type, data, cbData);
}

LONG RegCloseKey(HKEY hKey) {
    return ::RegCloseKey(Win32Key(hKey));
}

std::optional<RegistryFileProblem> FindRegistryFileProblem() {
    return std::nullopt; // the registry has no file an operator edits
}

void SetRegistryFile(const std::string&) {
    // The store is the registry; there is no file to point elsewhere.
}

std::string RegistryFile() {
    return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D";
}

} // namespace plat
