// The registry calls on Windows reach the registry itself: what the platform
// layer writes, the system's own calls read, and the other way round, with
// the sizes and codes of the system's calls.
#include "platform/windows/Win32.h"

#include "platform/Registry.h"
#include "settings/RegistrySettings.h"
#include "settings/SerialSettingsStore.h"
#include "support/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr const char* kKey = "SOFTWARE\\Corvanta\\VX18D";

::HKEY LocalMachine() {
    return reinterpret_cast<::HKEY>(static_cast<ULONG_PTR>(0x80000002u));
}

class RegistryWindows : public ::testing::Test {
protected:
    vxtest::IsolatedConfig config; // removes the settings key before and after
    vxtest::RecordedBoxes boxes;

    plat::HKEY Open(plat::REGSAM access) {
        plat::HKEY key = nullptr;
        plat::DWORD disposition = 0;
        EXPECT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, kKey, 0, nullptr,
                                       plat::REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                                       &disposition),
                  plat::ERROR_SUCCESS);
        lastDisposition = disposition;
        return key;
    }

    // A value as the system's own call reads it.
    std::string SystemValue(const char* name, ::DWORD& type) {
        char data[512] = {};
        ::DWORD size = sizeof data;
        if (::RegGetValueA(LocalMachine(), kKey, name, RRF_RT_ANY, &type, data, &size) != 0)
            return "<missing>";
        return std::string(data, size);
    }

    plat::DWORD lastDisposition = 0;
};

TEST_F(RegistryWindows, TheKeyIsCreatedOnceAndValuesReachTheSystem) {
    plat::HKEY key = Open(plat::KEY_WRITE);
    EXPECT_EQ(lastDisposition, plat::REG_CREATED_NEW_KEY);
    const char port[] = "COM7";
    const plat::DWORD rate = 115200;
    EXPECT_EQ(plat::RegSetValueEx(key, "COM_PORT", 0, plat::REG_SZ,
                                  reinterpret_cast<const plat::BYTE*>(port), sizeof port),
              plat::ERROR_SUCCESS);
    EXPECT_EQ(plat::RegSetValueEx(key, "BAUD_RATE", 0, plat::REG_DWORD,
                                  reinterpret_cast<const plat::BYTE*>(&rate), sizeof rate),
              plat::ERROR_SUCCESS);
    EXPECT_EQ(plat::RegCloseKey(key), plat::ERROR_SUCCESS);

    ::DWORD type = 0;
    EXPECT_EQ(SystemValue("COM_PORT", type), std::string("COM7\0", 5));
    EXPECT_EQ(type, plat::REG_SZ);
    const std::string bytes = SystemValue("BAUD_RATE", type);
    EXPECT_EQ(type, plat::REG_DWORD);
    ASSERT_EQ(bytes.size(), 4u);
    plat::DWORD back = 0;
    std::memcpy(&back, bytes.data(), 4);
    EXPECT_EQ(back, 115200u);

    plat::RegCloseKey(Open(plat::KEY_READ));
    EXPECT_EQ(lastDisposition, plat::REG_OPENED_EXISTING_KEY);
}

TEST_F(RegistryWindows, QueriesGiveTheSystemsSizesAndCodes) {
    const ::DWORD timeout = 250;
    ::HKEY system = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(LocalMachine(), kKey, 0, nullptr, 0, plat::KEY_WRITE, nullptr,
                                &system, nullptr),
              0);
    ::RegSetValueExA(system, "TIMEOUT", 0, plat::REG_DWORD, reinterpret_cast<const BYTE*>(&timeout),
                     4);
    ::RegSetValueExA(system, "COM_PORT", 0, plat::REG_SZ, reinterpret_cast<const BYTE*>("COM12"),
                     6);
    ::RegCloseKey(system);

    plat::HKEY key = Open(plat::KEY_READ);
    plat::DWORD type = 0;
    plat::DWORD size = 0;
    // Type and size alone.
    EXPECT_EQ(plat::RegQueryValueEx(key, "COM_PORT", nullptr, &type, nullptr, &size),
              plat::ERROR_SUCCESS);
    EXPECT_EQ(type, plat::REG_SZ);
    EXPECT_EQ(size, 6u);
    // Too small a buffer: the size needed.
    plat::BYTE small[2];
    size = sizeof small;
    EXPECT_EQ(plat::RegQueryValueEx(key, "COM_PORT", nullptr, &type, small, &size),
              plat::ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    plat::DWORD value = 0;
    size = sizeof value;
    EXPECT_EQ(plat::RegQueryValueEx(key, "TIMEOUT", nullptr, &type,
                                    reinterpret_cast<plat::BYTE*>(&value), &size),
              plat::ERROR_SUCCESS);
    EXPECT_EQ(value, 250u);
    EXPECT_EQ(plat::RegQueryValueEx(key, "PARITY", nullptr, &type, nullptr, &size),
              plat::ERROR_FILE_NOT_FOUND);
    // A key opened for reading takes no values.
    EXPECT_EQ(plat::RegSetValueEx(key, "PARITY", 0, plat::REG_DWORD,
                                  reinterpret_cast<const plat::BYTE*>(&value), 4),
              plat::ERROR_ACCESS_DENIED);
    plat::RegCloseKey(key);
}

TEST_F(RegistryWindows, TheSerialSettingsGoThroughTheRegistry) {
    vx::StoredSerialSettings loaded;
    EXPECT_TRUE(vx::LoadSerialSettings(loaded));
    EXPECT_EQ(loaded.portName, "COM1"); // the defaults, with no key
    EXPECT_EQ(loaded.baudRate, 57600u);

    EXPECT_TRUE(vx::SaveSerialSettings({"COM9", 19200, 2, 2, 400}));
    ::DWORD type = 0;
    EXPECT_EQ(SystemValue("COM_PORT", type), std::string("COM9\0", 5));
    vx::StoredSerialSettings again;
    EXPECT_TRUE(vx::LoadSerialSettings(again));
    EXPECT_EQ(again.portName, "COM9");
    EXPECT_EQ(again.baudRate, 19200u);
    EXPECT_EQ(again.parity, 2u);
    EXPECT_EQ(again.stopBits, 2u);
    EXPECT_EQ(again.timeoutMs, 400u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
