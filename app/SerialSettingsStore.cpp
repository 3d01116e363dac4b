#include "app/SerialSettingsStore.h"

#include "app/RegistrySettings.h"
#include "platform/Registry.h"

#include <array>
#include <utility>

namespace vx {

using namespace plat;

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
