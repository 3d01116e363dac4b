// Loading the stored serial settings: defaults, range checks, the boxes that
// report unusable values, and a settings file that cannot be read.
#include "app/CVX18DApp.h"
#include "platform/DebugOutput.h"
#include "platform/Registry.h"
#include "platform/SystemMessage.h"
#include "settings/RegistrySettings.h"
#include "settings/SerialSettingsStore.h"
#include "support/TestSupport.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace vx;
using vxtest::IsolatedConfig;
using vxtest::RecordedBoxes;

namespace {

class StoredSettingsTest : public ::testing::Test {
protected:
    IsolatedConfig config;
    RecordedBoxes boxes;
    CVX18DApp app;

    void SetDword(const char* name, plat::DWORD value) {
        Store(name, plat::REG_DWORD, reinterpret_cast<const plat::BYTE*>(&value), 4);
    }
    void SetString(const char* name, const std::string& value) {
        Store(name, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(value.c_str()),
              static_cast<plat::DWORD>(value.size() + 1));
    }
    void Store(const char* name, plat::DWORD type, const plat::BYTE* data, plat::DWORD size) {
        plat::HKEY key = nullptr;
        ASSERT_EQ(plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, SettingsKeyPath().c_str(), 0,
                                       nullptr, 0, plat::KEY_WRITE, nullptr, &key, nullptr),
                  0);
        ASSERT_EQ(plat::RegSetValueEx(key, name, 0, type, data, size), 0);
        plat::RegCloseKey(key);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.Boxes()) {
            EXPECT_EQ(box.caption, "Registry Error");
            EXPECT_EQ(box.type, plat::MB_OK | plat::MB_ICONERROR);
            EXPECT_EQ(box.owner, nullptr);
            texts.push_back(box.text);
        }
        return texts;
    }
};

} // namespace

TEST_F(StoredSettingsTest, MissingKeyGivesTheDefaultsQuietly) {
    EXPECT_TRUE(app.LoadRegistrySettings());
    EXPECT_EQ(app.m_strComPort, "COM1");
    EXPECT_EQ(app.m_dwBaudRate, 57600u);
    EXPECT_EQ(app.m_dwParity, 0u);
    EXPECT_EQ(app.m_dwStopBits, 0u);
    EXPECT_EQ(app.m_dwTimeout, 1000u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StoredSettingsTest, StoredValuesAreTaken) {
    SetString("COM_PORT", "COM7");
    SetDword("BAUD_RATE", 921600);
    SetDword("PARITY", 2);
    SetDword("STOPBITS", 2);
    SetDword("TIMEOUT", 0);
    EXPECT_TRUE(app.LoadRegistrySettings());
    EXPECT_EQ(app.m_strComPort, "COM7");
    EXPECT_EQ(app.m_dwBaudRate, 921600u);
    EXPECT_EQ(app.m_dwParity, 2u);
    EXPECT_EQ(app.m_dwStopBits, 2u);
    EXPECT_EQ(app.m_dwTimeout, 0u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(StoredSettingsTest, OutOfRangeValuesAreReportedAndUsed) {
    SetDword("BAUD_RATE", 12345);
    SetDword("PARITY", 7);
    SetDword("STOPBITS", 3);
    EXPECT_TRUE(app.LoadRegistrySettings());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Invalid BAUD Rate value: 12345",
                                                    "PARITY out of range, Value = 7",
                                                    "STOPBITS out of range, Value = 3"}));
    EXPECT_EQ(app.m_dwBaudRate, 12345u);
    EXPECT_EQ(app.m_dwParity, 7u);
    EXPECT_EQ(app.m_dwStopBits, 3u);
}

TEST_F(StoredSettingsTest, WrongTypesAreReported) {
    SetDword("COM_PORT", 3);
    SetString("TIMEOUT", "50"); // three bytes with the zero: fits, wrong type
    EXPECT_TRUE(app.LoadRegistrySettings());
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"RegQueryValueEx() for REG_SZ: Type = 4, Count = 4",
                                        "RegQueryValueEx() for REG_DWORD, Type = 1, Count = 3"}));
    EXPECT_EQ(app.m_strComPort, "COM1");
    EXPECT_EQ(app.m_dwTimeout, 0x003035u); // whatever the buffer holds: '5', '0', 0
}

TEST_F(StoredSettingsTest, TooLongValueIsReportedWithTheSystemText) {
    SetString("BAUD_RATE", "115200"); // seven bytes do not fit the four offered
    EXPECT_TRUE(app.LoadRegistrySettings());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
#ifdef _WIN32
    // The system's own message table words it (Wine's differs from Windows').
    EXPECT_EQ(boxes.Boxes()[0].text, "RegQueryValueEx() returned:234, Meaning: " +
                                         plat::TrimRight(plat::FormatSystemMessage(234)));
#else
    EXPECT_EQ(boxes.Boxes()[0].text,
              "RegQueryValueEx() returned:234, Meaning: More data is available.");
#endif
    EXPECT_EQ(app.m_dwBaudRate, 57600u);
}

#ifndef _WIN32 // the settings file is the store on Linux only
TEST_F(StoredSettingsTest, UnreadableSettingsFileIsReportedAndLeftAlone) {
    const std::string path = plat::RegistryFile();
    {
        std::ofstream file(path);
        file << "this is not a settings file\n[unterminated\n";
    }
    plat::DebugCapture debug;
    EXPECT_FALSE(app.LoadRegistrySettings());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("RegCreateKeyEx() returned:1009, Meaning: ", 0), 0u);
    EXPECT_EQ(app.m_strComPort, "COM1");
    // The box has no room for them: the file, the line and the reason go to
    // the debugger output.
    EXPECT_TRUE(debug.Contains("settings file \"" + path + "\" line 1: ")) << debug.Text();
    const auto problem = plat::FindRegistryFileProblem();
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->file, path);
    EXPECT_EQ(problem->line, 1u);
    EXPECT_TRUE(debug.Contains(problem->reason)) << problem->reason;
    std::ifstream file(path);
    std::string first;
    std::getline(file, first);
    EXPECT_EQ(first, "this is not a settings file");
}

#endif

TEST_F(StoredSettingsTest, SavedSerialSettingsAreWhatTheNextStartReads) {
    EXPECT_TRUE(SaveSerialSettings({"COM12", 921600, 2, 2, 250}));
    EXPECT_TRUE(app.LoadRegistrySettings());
    EXPECT_EQ(app.m_strComPort, "COM12");
    EXPECT_EQ(app.m_dwBaudRate, 921600u);
    EXPECT_EQ(app.m_dwParity, 2u);
    EXPECT_EQ(app.m_dwStopBits, 2u);
    EXPECT_EQ(app.m_dwTimeout, 250u);

#ifndef _WIN32
    // A store that cannot be opened: one report, nothing written.
    std::ofstream(plat::RegistryFile()) << "[unterminated\n";
    EXPECT_FALSE(SaveSerialSettings({"COM3", 57600, 0, 0, 1000}));
    EXPECT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("RegCreateKeyEx() returned:1009, Meaning: ", 0), 0u);
#endif
}
