// The stored serial settings through the settings store, for checking them
// against the registry as the system's own tools see it:
//   settings_store_tool save PORT BAUD PARITY STOPBITS TIMEOUT
//   settings_store_tool load      (prints NAME=VALUE lines)
// Exit status 0 when the store took or gave the settings without a report.
#include "platform/MessageBox.h"
#include "settings/SerialSettingsStore.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    bool reported = false;
    plat::SetMessageBoxHandler([&reported](const plat::MessageBoxRequest& box) {
        std::fprintf(stderr, "[%s] %s\n", box.caption.c_str(), box.text.c_str());
        reported = true;
        return plat::IDOK;
    });
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "save" && argc == 7) {
        auto number = [](const char* text) {
            return static_cast<plat::DWORD>(std::strtoul(text, nullptr, 10));
        };
        const vx::StoredSerialSettings settings{argv[2], number(argv[3]), number(argv[4]),
                                                number(argv[5]), number(argv[6])};
        return vx::SaveSerialSettings(settings) && !reported ? 0 : 1;
    }
    if (command == "load" && argc == 2) {
        vx::StoredSerialSettings settings;
        const bool loaded = vx::LoadSerialSettings(settings);
        std::printf("COM_PORT=%s\nBAUD_RATE=%u\nPARITY=%u\nSTOPBITS=%u\nTIMEOUT=%u\n",
                    settings.portName.c_str(), settings.baudRate, settings.parity,
                    settings.stopBits, settings.timeoutMs);
        return loaded && !reported ? 0 : 1;
    }
    std::fprintf(stderr, "usage: settings_store_tool save PORT BAUD PARITY STOPBITS TIMEOUT\n"
                         "       settings_store_tool load\n");
    return 2;
}
