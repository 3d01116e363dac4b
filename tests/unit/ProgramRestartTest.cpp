// The window program's restart: the new run knows it was started by the run
// before, and its trace file goes on from that run's instead of replacing it.
#include "app/ProgramRestart.h"
#include "app/CVX18DApp.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(ProgramRestart, ATraceFileIsStartedAnewOrAddedTo) {
    vxtest::TempDir dir;
    const std::string path = dir.Path() + "/trace.txt";
    std::ofstream(path) << "the run before\n";
    std::ostringstream err;
    {
        vx::CVX18DApp app;
        ASSERT_TRUE(app.OpenTraceFile(path, err, true)) << err.str();
    }
    EXPECT_EQ(Contents(path), "the run before\n");
    {
        vx::CVX18DApp app;
        ASSERT_TRUE(app.OpenTraceFile(path, err)) << err.str();
    }
    EXPECT_EQ(Contents(path), "");
    EXPECT_TRUE(err.str().empty());
}

// Run only as the program that RestartProgram starts (see below).
TEST(ProgramRestart, DISABLED_StartedAgain) {
    EXPECT_TRUE(vx::IsRestartedRun());
}

TEST(ProgramRestart, TheProgramStartedAgainKnowsItIsARestartedRun) {
    ASSERT_FALSE(vx::IsRestartedRun());
    char program[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", program, sizeof program - 1), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Replaces the child by this test program running only the test above.
        vx::RestartProgram({program, "--gtest_filter=ProgramRestart.DISABLED_StartedAgain",
                            "--gtest_also_run_disabled_tests", "--gtest_brief=1"});
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // This run was not restarted.
    EXPECT_FALSE(vx::IsRestartedRun());
}
