// Files on Windows behave as the shared layer expects them to on Linux: a
// rename that must not replace refuses a taken name with EEXIST, a file
// replaced whole takes the place of the old one, a folder is named a folder.
#include "platform/Files.h"
#include "support/TestSupport.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(WindowsFiles, RenamesRefuseATakenNameAndReplacingTakesItsPlace) {
    vxtest::TempDir dir;
    const std::string a = dir.File("a.csv");
    const std::string b = dir.File("b.csv");
    std::ofstream(a, std::ios::binary) << "first\r\n";
    std::ofstream(b, std::ios::binary) << "second\r\n";
    EXPECT_EQ(plat::RenameWithoutReplacing(a, b), EEXIST);
    EXPECT_EQ(Read(b), "second\r\n");
    EXPECT_EQ(plat::RenameWithoutReplacing(a, dir.File("c.csv")), 0);
    EXPECT_FALSE(plat::PathExists(a));
    EXPECT_EQ(Read(dir.File("c.csv")), "first\r\n");

    EXPECT_EQ(plat::ReplaceFileContents(b, "third\n"), 0);
    EXPECT_EQ(Read(b), "third\n"); // binary: no line ends added
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2); // no temporary file left beside it
}

TEST(WindowsFiles, OpeningNamesTheFailureAsLinuxDoes) {
    vxtest::TempDir dir;
    EXPECT_EQ(plat::OpenFile(dir.Path(), plat::FileOpening::readOnly), -1);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(plat::OpenFile(dir.File("missing"), plat::FileOpening::readOnly), -1);
    EXPECT_EQ(errno, ENOENT);

    const std::string path = dir.File("record.csv");
    const int fd = plat::OpenFile(path, plat::FileOpening::createNew);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(plat::WriteToFile(fd, "12345", 5), 5);
    EXPECT_TRUE(plat::TruncateFileAt(fd, 2));
    EXPECT_EQ(plat::FilePosition(fd), 2);
    plat::FileStatus status;
    ASSERT_TRUE(plat::StatusOfFile(fd, status));
    EXPECT_TRUE(status.regular);
    EXPECT_EQ(status.size, 2u);
    plat::CloseFile(fd);
    EXPECT_EQ(plat::OpenFile(path, plat::FileOpening::createNew), -1);
    EXPECT_EQ(errno, EEXIST);
}

} // namespace
