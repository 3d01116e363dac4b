#include "settings/SerialSettingsStore.h"

#include "platform/Registry.h"
#include "settings/RegistrySettings.h"
#include "settings/SettingsTables.h"

#include <cstdio>

#include <array>
#include <utility>

namespace vx {

using namespace plat;

BOOL LoadSerialSettings(StoredSerialSettings& settings) {
    HKEY key = OpenSettingsKey(KEY_READ);
    if (!key)
        return FALSE;

    // COM_PORT: text of at most 260 bytes.
    {
        char buffer[261] = {};
        DWORD type = 0;
        DWORD count = 260;
        const LONG error = RegQueryValueEx(key, kValueComPort, nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer), &count);
        if (error == ERROR_SUCCESS) {
            if (type == REG_SZ && count <= 260) {
                settings.portName = buffer;
            } else {
                char text[128];
                std::snprintf(text, sizeof text,
                              "RegQueryValueEx() for REG_SZ: Type = %lu, Count = %lu",
                              static_cast<unsigned long>(type), static_cast<unsigned long>(count));
                ShowRegistryBox(text);
                settings.portName = "COM1";
            }
        } else if (error != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
            ShowRegistryError("RegQueryValueEx()", static_cast<DWORD>(error));
        }
    }

    // A REG_DWORD value with its default; check() reports a listed but
    // unaccepted value, which is taken all the same.
    auto readDword = [key](const char* name, DWORD fallback, auto check) {
        const DwordQuery query = QueryDwordValue(key, name);
        if (query.error == ERROR_SUCCESS) {
            if (query.IsDword())
                check(query.value);
            else
                ShowDwordTypeBox(query.type, query.count);
            return query.value;
        }
        if (query.error != static_cast<LONG>(ERROR_FILE_NOT_FOUND))
            ShowRegistryError("RegQueryValueEx()", static_cast<DWORD>(query.error));
        return fallback;
    };
    auto report = [](const char* format, DWORD value) {
        char text[96];
        std::snprintf(text, sizeof text, format, static_cast<unsigned long>(value));
        ShowRegistryBox(text);
    };

    settings.baudRate = readDword(kValueBaudRate, settings.baudRate, [&](DWORD value) {
        if (!IsListedBaudRate(value))
            report("Invalid BAUD Rate value: %lu", value);
    });
    settings.parity = readDword(kValueParity, settings.parity, [&](DWORD value) {
        if (value > 4)
            report("PARITY out of range, Value = %lu", value);
    });
    settings.stopBits = readDword(kValueStopBits, settings.stopBits, [&](DWORD value) {
        if (value > 2)
            report("STOPBITS out of range, Value = %lu", value);
    });
    settings.timeoutMs = readDword(kValueTimeout, settings.timeoutMs, [](DWORD) {});

    return CloseSettingsKey(key);
}

BOOL SaveSerialSettings(const StoredSerialSettings& settings) {
    HKEY key = OpenSettingsKey(KEY_WRITE);
    if (!key)
        return FALSE;

    auto report = [](LONG result) {
        if (result != ERROR_SUCCESS)
            ShowRegistryError("RegSetValueEx()", static_cast<DWORD>(result));
    };
    // The text with its terminating zero.
    const std::string name = settings.portName.substr(0, 260);
    report(RegSetValueEx(key, kValueComPort, 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                         static_cast<DWORD>(name.size() + 1)));
    const std::array<std::pair<const char*, DWORD>, 4> dwords{{
        {kValueBaudRate, settings.baudRate},
        {kValueParity, settings.parity},
        {kValueStopBits, settings.stopBits},
        {kValueTimeout, settings.timeoutMs},
    }};
    for (const auto& [valueName, value] : dwords) {
        const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                              static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
        report(RegSetValueEx(key, valueName, 0, REG_DWORD, data, sizeof data));
    }
    return CloseSettingsKey(key);
}

} // namespace vx
