#include "app/CVX18DApp.h"

#include "app/RegistrySettings.h"
#include "app/SettingsTables.h"
#include "app/TimePeriod.h"
#include "platform/ConfigPaths.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/SerialDevice.h"
#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace vx {

using namespace plat;

std::string RecordFolder() {
    const std::string folder = DataDir();
    EnsureDirectory(folder);
    return folder + "/";
}

BOOL CVX18DApp::InitInstance() {
    TimePeriod timePeriod;

    m_strAppDir = RecordFolder();

    LoadRegistrySettings();

    SerialPortSettings portSettings{};
    std::strncpy(portSettings.portName, m_strComPort.c_str(), 6);
    portSettings.commConfig.dwSize = 52;
    DWORD configSize = 52;
    GetDefaultCommConfig(portSettings.portName, &portSettings.commConfig, &configSize);
    portSettings.baudRate = m_dwBaudRate;
    portSettings.parity = static_cast<BYTE>(m_dwParity);
    portSettings.stopBits = static_cast<BYTE>(m_dwStopBits);
    portSettings.byteSize = 8;

    auto port = std::make_unique<CSerialCom>(&portSettings);
    bool ready = false;
    if (port->IsReady() && port->ApplySettings())
        ready = port->SetTimeouts(0, 200, 0, 0, 0) != FALSE;
    port->FlushInput();

    auto comm = std::make_unique<CVX18D3_Comm>(port.get());
    comm->m_nTimeout = static_cast<std::int32_t>(m_dwTimeout);

    m_bOffline = 1;
    if (ready && comm->Ping(0) && comm->m_nLastResult)
        m_bOffline = 0;

    char line[160];
    std::snprintf(line, sizeof line, "VX18D: unit %s on %s at %lu baud.\r\n",
                  m_bOffline ? "offline" : "online", portSettings.portName,
                  static_cast<unsigned long>(m_dwBaudRate));
    OutputDebugString(line);

    if (m_runDialog && m_runDialog(*comm, m_bOffline, m_strAppDir) == -1)
        ShowMessageBox("Dialog could not be created", "Dialog Error", MB_OK | MB_ICONERROR,
                       nullptr);

    comm.reset();
    port.reset();
    return FALSE;
}

BOOL CVX18DApp::LoadRegistrySettings() {
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
                m_strComPort = buffer;
            } else {
                char text[128];
                std::snprintf(text, sizeof text,
                              "RegQueryValueEx() for REG_SZ: Type = %lu, Count = %lu",
                              static_cast<unsigned long>(type), static_cast<unsigned long>(count));
                ShowRegistryBox(text);
                m_strComPort = "COM1";
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

    m_dwBaudRate = readDword(kValueBaudRate, 57600, [&](DWORD value) {
        if (!IsListedBaudRate(value))
            report("Invalid BAUD Rate value: %lu", value);
    });
    m_dwParity = readDword(kValueParity, 0, [&](DWORD value) {
        if (value > 4)
            report("PARITY out of range, Value = %lu", value);
    });
    m_dwStopBits = readDword(kValueStopBits, 0, [&](DWORD value) {
        if (value > 2)
            report("STOPBITS out of range, Value = %lu", value);
    });
    m_dwTimeout = readDword(kValueTimeout, 1000, [](DWORD) {});

    return CloseSettingsKey(key);
}

} // namespace vx
