#include "platform/Registry.h"
#include "platform/DebugOutput.h"
#include "platform/SystemMessage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace plat;
namespace fs = std::filesystem;

constexpr const char* kAppKey = "SOFTWARE\\Corvanta\\VX18D";
constexpr const char* kHeader = "Windows Registry Editor Version 5.00\r\n";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<BYTE> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vx18d-registry-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_file = m_dir + "/config/vx18d.reg";
        SetRegistryFile(m_file);
    }

    void TearDown() override {
        SetRegistryFile("");
        fs::remove_all(m_dir);
    }

    void WriteFile(const std::string& text) {
        fs::create_directories(fs::path(m_file).parent_path());
        WriteText(m_file, text);
    }

    HKEY Open(REGSAM access, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access, nullptr, &key, disposition),
                  0);
        return key;
    }

    void Set(const char* name, DWORD type, const std::vector<BYTE>& data) {
        HKEY key = Open(KEY_WRITE);
        EXPECT_EQ(RegSetValueEx(key, name, 0, type, data.data(), DWORD(data.size())), 0) << name;
        EXPECT_EQ(RegCloseKey(key), 0);
    }

    void SetDword(const char* name, DWORD value) {
        Set(name, REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
    }

    // The value's type and data, or the error code of the query.
    struct Read {
        LONG result = -1;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    Read Query(const char* name) {
        Read r;
        HKEY key = Open(KEY_READ);
        std::vector<BYTE> buffer(1024);
        DWORD size = DWORD(buffer.size());
        r.result = RegQueryValueEx(key, name, nullptr, &r.type, buffer.data(), &size);
        if (r.result == 0)
            r.data.assign(buffer.begin(), buffer.begin() + size);
        RegCloseKey(key);
        return r;
    }

    std::string m_dir;
    std::string m_file;
};

TEST_F(RegistryTest, CreatingTheKeyMakesFolderFileAndKeyOnce) {
    DWORD disposition = 0;
    HKEY key = Open(KEY_READ, &disposition);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(ReadText(m_file),
              std::string(kHeader) + "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n\r\n");
    EXPECT_EQ(RegCloseKey(key), 0);

    // Names compare without case; a key that only has keys below it exists.
    HKEY again = nullptr;
    for (const char* path : {kAppKey, "software\\CORVANTA\\vx18d\\", "SOFTWARE\\Corvanta"}) {
        disposition = 0;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_READ, nullptr, &again,
                                 &disposition),
                  0)
            << path;
        EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY) << path;
        EXPECT_EQ(RegCloseKey(again), 0);
    }
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "\\SOFTWARE", 0, nullptr, 0, KEY_READ, nullptr,
                             &again, nullptr),
              161);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\\\X", 0, nullptr, 0, KEY_READ, nullptr,
                             &again, nullptr),
              161);
}

TEST_F(RegistryTest, ClosedAndUnknownHandlesAreInvalid) {
    HKEY key = Open(KEY_ALL_ACCESS);
    EXPECT_EQ(RegCloseKey(key), 0);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "X", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueEx(key, "X", 0, REG_NONE, nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyEx(key, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), 0);
}

TEST_F(RegistryTest, TypesAndSizesAsTheProgramReadsThem) {
    Set("COM_PORT", REG_DWORD, {3, 0, 0, 0});
    Set("NAME", REG_SZ, Bytes(std::string_view("COM3", 5)));

    HKEY key = Open(KEY_READ);
    BYTE buffer[261] = {};
    DWORD type = 0, size = 260;
    ASSERT_EQ(RegQueryValueEx(key, "COM_PORT", nullptr, &type, buffer, &size), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);

    // Without a buffer: type and size only. REG_SZ counts its terminating zero.
    type = 0;
    size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "name", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 5u);

    size = 2;
    EXPECT_EQ(RegQueryValueEx(key, "NAME", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    size = 5;
    ASSERT_EQ(RegQueryValueEx(key, "NAME", nullptr, &type, buffer, &size), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer), "COM3");

    size = 260;
    EXPECT_EQ(RegQueryValueEx(key, "BAUD_RATE", nullptr, &type, buffer, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryTest, EveryTypeRoundTripsThroughTheFile) {
    const std::vector<BYTE> longBinary(100, 0xAB);
    const std::vector<std::pair<DWORD, std::vector<BYTE>>> values = {
        {REG_SZ, Bytes(std::string_view("COM3", 5))},
        {REG_SZ, Bytes(std::string_view("no terminator"))},
        {REG_SZ, Bytes(std::string_view("line\r\nbreak\tand \xC3\xA9", 19))},
        {REG_DWORD, {0x00, 0xE1, 0x00, 0x00}},
        {REG_DWORD, {1, 2}},
        {REG_DWORD_BIG_ENDIAN, {0, 0, 0xE1, 0}},
        {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0x80}},
        {REG_BINARY, longBinary},
        {REG_BINARY, {}},
        {REG_NONE, {}},
        {REG_EXPAND_SZ, Bytes(std::string_view("%HOME%\\x", 9))},
        {REG_MULTI_SZ, Bytes(std::string_view("a\0bc\0\0", 6))},
        {REG_MULTI_SZ, Bytes(std::string_view("bad \xFF utf8\0\0", 12))},
        {0x12345, {9, 8, 7}},
    };
    for (std::size_t i = 0; i < values.size(); ++i)
        Set(("V" + std::to_string(i)).c_str(), values[i].first, values[i].second);
    Set(nullptr, REG_SZ, Bytes(std::string_view("default", 8)));

    for (std::size_t i = 0; i < values.size(); ++i) {
        const Read r = Query(("v" + std::to_string(i)).c_str());
        EXPECT_EQ(r.result, 0) << i;
        EXPECT_EQ(r.type, values[i].first) << i;
        EXPECT_EQ(r.data, values[i].second) << i;
    }
    EXPECT_EQ(Query("").data, Bytes(std::string_view("default", 8)));

    // The forms an import on Windows reads.
    const std::string text = ReadText(m_file);
    EXPECT_EQ(text.rfind(kHeader, 0), 0u);
    for (const char* line :
         {"\"V0\"=\"COM3\"\r\n", "\"V1\"=hex(1):6e,00,6f,00,", "\"V3\"=dword:0000e100\r\n",
          "\"V4\"=hex(4):01,02\r\n", "\"V6\"=hex(b):01,02,03,04,05,06,07,80\r\n", "\"V8\"=hex:\r\n",
          "\"V9\"=hex(0):\r\n", "\"V11\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n",
          "\"V13\"=hex(12345):09,08,07", "@=\"default\"\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // Long hex data is wrapped in lines of at most 80 characters.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 81u) << line; // 80 and the CR
    EXPECT_NE(text.find("ab,\\\r\n  ab,"), std::string::npos);
}

TEST_F(RegistryTest, StringsWithQuotesAndBackslashesAreEscaped) {
    const std::string_view value("C:\\data\\\"x\"", 12);
    Set("PATH", REG_SZ, Bytes(value));
    EXPECT_NE(ReadText(m_file).find("\"PATH\"=\"C:\\\\data\\\\\\\"x\\\"\"\r\n"), std::string::npos);
    EXPECT_EQ(Query("PATH").data, Bytes(value));

    WriteFile(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n" +
              "\"a \\\"q\\\" name\"=\"\\\\\\\\server\\\\share\"\r\n");
    EXPECT_EQ(Query("A \"Q\" NAME").data, Bytes(std::string_view("\\\\server\\share", 15)));
}

TEST_F(RegistryTest, WriteKeepsEverythingItDoesNotTouch) {
    // As an operator might leave it: LF line ends, comments, other keys, a
    // duplicated section, names in another case.
    WriteFile("REGEDIT4\n"
              "; settings of the receiver program\n"
              "\n"
              "[HKEY_CURRENT_USER\\Other]\n"
              "\"Keep\"=\"me\"\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\n"
              "\"COM_PORT\"=\"COM7\"\n"
              "\"baud_rate\"=dword:00002580 \n"
              "; parity as the unit wants it\n"
              "\"PARITY\"=dword:00000002\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D\\Sub]\n"
              "@=hex:01,02,\\\n"
              "  03\n");
    SetDword("BAUD_RATE", 57600);
    SetDword("TIMEOUT", 1000);
    EXPECT_EQ(ReadText(m_file), "REGEDIT4\r\n"
                                "; settings of the receiver program\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Other]\r\n"
                                "\"Keep\"=\"me\"\r\n"
                                "\r\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n"
                                "\"COM_PORT\"=\"COM7\"\r\n"
                                "\"baud_rate\"=dword:0000e100\r\n"
                                "; parity as the unit wants it\r\n"
                                "\"PARITY\"=dword:00000002\r\n"
                                "\"TIMEOUT\"=dword:000003e8\r\n"
                                "\r\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D\\Sub]\r\n"
                                "@=hex:01,02,\\\r\n"
                                "  03\r\n");
}

TEST_F(RegistryTest, LaterLinesWinAndRemovalsHide) {
    WriteFile(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n" +
              "\"A\"=dword:00000001\r\n\"B\"=dword:00000001\r\n\"C\"=dword:00000001\r\n" +
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n" +
              "\"A\"=dword:00000002\r\n\"B\"=-\r\n");
    EXPECT_EQ(Query("A").data, (std::vector<BYTE>{2, 0, 0, 0}));
    EXPECT_EQ(Query("B").result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("C").data, (std::vector<BYTE>{1, 0, 0, 0}));

    SetDword("A", 3); // replaces the line that counts, in place
    SetDword("B", 4); // after the removal
    const std::string text = ReadText(m_file);
    EXPECT_NE(text.find("\"A\"=dword:00000001\r\n\"B\"=dword:00000001"), std::string::npos);
    EXPECT_NE(text.find("\"A\"=dword:00000003\r\n\"B\"=-\r\n\"B\"=dword:00000004\r\n"),
              std::string::npos);
    EXPECT_EQ(Query("B").data, (std::vector<BYTE>{4, 0, 0, 0}));

    // A removed key is created again at the end of the file.
    WriteText(m_file, text + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta]\r\n");
    DWORD disposition = 0;
    RegCloseKey(Open(KEY_READ, &disposition));
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(Query("A").result, ERROR_FILE_NOT_FOUND);
    EXPECT_NE(ReadText(m_file).find("Corvanta]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\"
                                    "VX18D]\r\n\r\n"),
              std::string::npos);
}

TEST_F(RegistryTest, AnEditWhileTheProgramRunsIsSeenAtOnce) {
    HKEY key = Open(KEY_READ);
    SetDword("BAUD_RATE", 57600);
    WriteText(m_file, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\CORVANTA\\VX18D]\r\n"
                      "\"BAUD_RATE\"=dword:1C200\r\n");
    DWORD value = 0, size = 4, type = 0;
    ASSERT_EQ(
        RegQueryValueEx(key, "BAUD_RATE", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        0);
    EXPECT_EQ(value, 115200u);
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryTest, WritesReplaceTheFileAndLeaveNothingElse) {
    SetDword("BAUD_RATE", 57600);
    ASSERT_EQ(::chmod(m_file.c_str(), 0640), 0);
    // A reader that opened the file before the writes keeps the old text,
    // and its open descriptor keeps the old inode from being handed out again.
    const int reader = ::open(m_file.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    struct stat before {};
    ASSERT_EQ(::fstat(reader, &before), 0);
    for (DWORD i = 0; i < 5; ++i)
        SetDword("TIMEOUT", i);
    std::string old(static_cast<std::size_t>(before.st_size), '\0');
    EXPECT_EQ(::read(reader, old.data(), old.size()), before.st_size);
    ::close(reader);
    EXPECT_EQ(old.find("TIMEOUT"), std::string::npos);
    EXPECT_NE(old.find("BAUD_RATE"), std::string::npos);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(m_file).parent_path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"vx18d.reg"});
    struct stat after {};
    ASSERT_EQ(::stat(m_file.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // replaced by rename, not rewritten in place
    EXPECT_EQ(after.st_mode & 07777, 0640u);
}

TEST_F(RegistryTest, AccessIsCheckedAgainstTheHandle) {
    HKEY reader = Open(KEY_READ);
    const std::string before = ReadText(m_file);
    const DWORD value = 1;
    EXPECT_EQ(
        RegSetValueEx(reader, "TIMEOUT", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
        ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadText(m_file), before);

    HKEY writer = Open(KEY_WRITE);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueEx(writer, "TIMEOUT", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyEx(reader, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(writer, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr), 0);
    RegCloseKey(child);
    RegCloseKey(reader);
    RegCloseKey(writer);
}

TEST_F(RegistryTest, AFileThatCannotBeParsedIsReportedAndNeverOverwritten) {
    const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n";
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", 1},
        {std::string(kHeader) + "\"A\"=dword:1\r\n", 2},
        {std::string(kHeader) + section + "\"A\"=dword:123456789\r\n", 3},
        {std::string(kHeader) + section + "\r\n\"A\"=dwrd:1\r\n", 4},
        {std::string(kHeader) + section + "\"P\"=\"C:\\temp\"\r\n", 3},
        {std::string(kHeader) + section + "\"P\"=\"open\r\n", 3},
        {std::string(kHeader) + section + "\"P\"=\"x\" y\r\n", 3},
        {std::string(kHeader) + section + "\"B\"=hex:01,02,\\\r\n  03,4g\r\n", 4},
        {std::string(kHeader) + section + "\"B\"=hex:01,\\\r\n", 3},
        {std::string(kHeader) + section + "\"B\"=hex(x1):01\r\n", 3},
        {std::string(kHeader) + "[HKEY_LOCAL_MACHNE\\SOFTWARE]\r\n", 2},
        {std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\SOFTWARE\r\n", 2},
        {std::string(kHeader) + section + "COM_PORT=COM3\r\n", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(c.text);
        DebugCapture capture;
        HKEY created = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanta\\New", 0, nullptr, 0,
                                 KEY_WRITE, nullptr, &created, nullptr),
                  ERROR_BADDB);
        EXPECT_EQ(created, nullptr);
        EXPECT_EQ(ReadText(m_file), c.text);
        const std::string line = capture.Text();
        EXPECT_NE(line.find(m_file), std::string::npos) << line;
        EXPECT_NE(line.find("line " + std::to_string(c.line) + ":"), std::string::npos) << line;
        EXPECT_EQ(line.find("\r\n"), line.size() - 2) << line;
    }

    // A key opened before the file went bad fails too, and writes nothing.
    WriteFile("");
    HKEY key = Open(KEY_ALL_ACCESS);
    WriteFile("garbage\r\n");
    DebugCapture capture;
    const DWORD value = 1;
    EXPECT_EQ(RegSetValueEx(key, "A", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_BADDB);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueEx(key, "A", nullptr, nullptr, nullptr, &size), ERROR_BADDB);
    EXPECT_EQ(ReadText(m_file), "garbage\r\n");
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryTest, AFileThatCannotBeReadOrWrittenIsReported) {
    fs::create_directories(m_file); // a folder where the file belongs
    {
        DebugCapture capture;
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_READ, nullptr,
                                 &key, nullptr),
                  ERROR_CANTREAD);
        EXPECT_TRUE(capture.Contains(m_file)) << capture.Text();
        EXPECT_TRUE(capture.Contains("Is a directory\r\n")) << capture.Text();
    }
    fs::remove(m_file);
    fs::remove(fs::path(m_file).parent_path());
    WriteText(fs::path(m_file).parent_path(), "a file where the folder belongs");
    {
        DebugCapture capture;
        HKEY key = nullptr;
        EXPECT_NE(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_READ, nullptr,
                                 &key, nullptr),
                  0);
        EXPECT_TRUE(capture.Contains("Not a directory\r\n")) << capture.Text();
    }
}

TEST_F(RegistryTest, AFileWithoutWritePermissionRefusesWriters) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission checks do not apply to root";
    SetDword("TIMEOUT", 1);
    ASSERT_EQ(::chmod(m_file.c_str(), 0444), 0);
    DebugCapture capture;
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                             nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_TRUE(capture.Contains("Permission denied")) << capture.Text();
    EXPECT_EQ(Query("TIMEOUT").data, (std::vector<BYTE>{1, 0, 0, 0})); // reading still works

    ASSERT_EQ(::chmod(m_file.c_str(), 0), 0);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_READ, nullptr, &key,
                             nullptr),
              ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, AUtf16ExportFromWindowsIsReadAndKeptUtf16) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanta\\VX18D]\r\n"
                                u"\"COM_PORT\"=\"COM\u00e93\"\r\n"
                                u"\"NOTE\"=hex(2):25,00,41,00,25,00,00,00\r\n\r\n";
    std::string raw = "\xFF\xFE";
    for (char16_t c : text) {
        raw += char(c & 0xFF);
        raw += char(c >> 8);
    }
    WriteFile(raw);
    EXPECT_EQ(Query("COM_PORT").data, Bytes(std::string_view("COM\xC3\xA9\x33", 7)));
    const Read note = Query("NOTE");
    EXPECT_EQ(note.type, REG_EXPAND_SZ);
    EXPECT_EQ(note.data, Bytes(std::string_view("%A%", 4)));

    SetDword("TIMEOUT", 0);
    const std::string after = ReadText(m_file);
    EXPECT_EQ(after.rfind(raw.substr(0, raw.size() - 4), 0), 0u); // untouched lines stay
    EXPECT_EQ(after.substr(raw.size() - 4, 8), std::string("\"\0T\0I\0M\0", 8));
}

TEST_F(RegistryTest, WritersOnTwoThreadsLoseNothing) {
    auto writer = [this](const char* name) {
        for (DWORD i = 1; i <= 20; ++i)
            SetDword(name, i);
    };
    std::thread first(writer, "FIRST");
    std::thread second(writer, "SECOND");
    first.join();
    second.join();
    EXPECT_EQ(Query("FIRST").data, (std::vector<BYTE>{20, 0, 0, 0}));
    EXPECT_EQ(Query("SECOND").data, (std::vector<BYTE>{20, 0, 0, 0}));
}

TEST(SystemMessageTest, TextsAreTheSystemsAndUnknownCodesAreEmpty) {
    EXPECT_EQ(FormatSystemMessage(2), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(FormatSystemMessage(1009), "The configuration registry database is corrupt.\r\n");
    EXPECT_EQ(FormatSystemMessage(1167), "The device is not connected.\r\n");
    EXPECT_EQ(FormatSystemMessage(0xDEAD), "");
    EXPECT_EQ(TrimRight("Access is denied. \t\r\n\r\n"), "Access is denied.");
    EXPECT_EQ(TrimRight(" \r\n"), "");
    EXPECT_EQ(TrimRight("a b"), "a b");
}

} // namespace
