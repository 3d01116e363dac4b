#include "settings/RegistrySettings.h"

#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/SystemMessage.h"

#include <cstdio>

namespace vx {

std::string SettingsKeyPath() {
    return std::string(kSettingsKeyParent) + kSettingsKeyName;
}

void ShowRegistryBox(const std::string& text) {
    plat::ShowMessageBox(text, kRegistryErrorTitle, plat::MB_OK | plat::MB_ICONERROR, nullptr);
}

void ShowRegistryError(const std::string& operation, plat::DWORD code) {
    char meaning[512];
    std::snprintf(meaning, sizeof meaning, " returned:%lu, Meaning: %s",
                  static_cast<unsigned long>(code), plat::FormatSystemMessage(code).c_str());
    ShowRegistryBox(plat::TrimRight(operation + meaning));
}

plat::HKEY OpenSettingsKey(plat::REGSAM access) {
    plat::HKEY key = nullptr;
    plat::DWORD disposition = 0;
    const plat::LONG error =
        plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, SettingsKeyPath().c_str(), 0, nullptr,
                             plat::REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    if (error != plat::ERROR_SUCCESS) {
        ShowRegistryError("RegCreateKeyEx()", static_cast<plat::DWORD>(error));
        return nullptr;
    }
    if (!key)
        ShowRegistryBox("hAppKey is NULL");
    return key;
}

plat::BOOL CloseSettingsKey(plat::HKEY key) {
    const plat::LONG error = plat::RegCloseKey(key);
    if (error != plat::ERROR_SUCCESS) {
        ShowRegistryError("RegCloseKey()", static_cast<plat::DWORD>(error));
        return plat::FALSE;
    }
    return plat::TRUE;
}

bool DwordQuery::IsDword() const {
    return type == plat::REG_DWORD && count == 4;
}

DwordQuery QueryDwordValue(plat::HKEY key, const char* name) {
    DwordQuery query;
    plat::BYTE buffer[4] = {};
    query.count = sizeof buffer;
    query.error = plat::RegQueryValueEx(key, name, nullptr, &query.type, buffer, &query.count);
    query.value = static_cast<plat::DWORD>(buffer[0]) | static_cast<plat::DWORD>(buffer[1]) << 8 |
                  static_cast<plat::DWORD>(buffer[2]) << 16 |
                  static_cast<plat::DWORD>(buffer[3]) << 24;
    return query;
}

void ShowDwordTypeBox(plat::DWORD type, plat::DWORD count) {
    char text[128];
    std::snprintf(text, sizeof text, "RegQueryValueEx() for REG_DWORD, Type = %lu, Count = %lu",
                  static_cast<unsigned long>(type), static_cast<unsigned long>(count));
    ShowRegistryBox(text);
}

} // namespace vx
