// The firmware load against a scripted port: the blocks and the commit on
// the line, the size limit checked before anything is read or sent, file
// failures, a refused block, cancelling, and the programming wait.
#include "unit/FirmwareLoader.h"
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vxtest;
using vx::FirmwareFileFailure;
using vx::FirmwareLoadOutcome;
using vx::FirmwareResult;
using Step = FirmwareFileFailure::Step;

namespace {

const Bytes kCommit = ShortRequest(0x98, 0xFF, 0, 0);

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FirmwareLoader : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedPort port;
    vx::CVX18D3_Comm comm{&port};
    std::atomic<bool> cancel{false};
    std::vector<std::uint32_t> sleeps;
    std::vector<vx::FirmwareProgress> progress;
    std::function<void(const vx::FirmwareProgress&)> onProgress;

    FirmwareLoader() {
        comm.m_nTimeout = 20;
        port.AnswerEvery(0, 0, 0);
    }

    FirmwareLoadOutcome Load(const std::string& path) {
        std::int64_t tick = 0;
        vx::FirmwareLoader loader(comm, {[this](std::uint32_t ms) { sleeps.push_back(ms); },
                                         [&tick] { return tick += 5; }});
        return loader.Load(
            path,
            [this](const vx::FirmwareProgress& state) {
                progress.push_back(state);
                if (onProgress)
                    onProgress(state);
            },
            cancel);
    }

    std::string Image(std::size_t size, const std::string& name = "image.bin") {
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        std::ofstream(dir.File(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(size));
        return dir.File(name);
    }

    // The payloads of the firmware blocks written, in order.
    std::vector<Bytes> Blocks() const {
        std::vector<Bytes> blocks;
        for (const Bytes& packet : port.written) {
            if (packet[2] == 0x20 && packet[3] == 0x10)
                blocks.emplace_back(packet.begin() + 6, packet.end());
        }
        return blocks;
    }
    bool Committed() const {
        return std::find(port.written.begin(), port.written.end(), kCommit) != port.written.end();
    }
};

} // namespace

TEST_F(FirmwareLoader, ImageGoesOutInBlocksThenTheCommitThenTheMinute) {
    const std::string path = Image(300);
    onProgress = [this](const vx::FirmwareProgress& state) {
        // The commit is on the line before the wait, and nothing sleeps before it.
        if (state.phase == vx::FirmwarePhase::Programming && state.waitStepsDone == 0) {
            EXPECT_EQ(port.written.back(), kCommit);
            EXPECT_TRUE(sleeps.empty());
        }
    };
    const FirmwareLoadOutcome outcome = Load(path);

    EXPECT_EQ(outcome.result, FirmwareResult::Done);
    const std::vector<Bytes> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].size(), 128u);
    EXPECT_EQ(blocks[1].size(), 128u);
    EXPECT_EQ(blocks[2].size(), 44u);
    Bytes sent;
    for (const Bytes& block : blocks)
        sent.insert(sent.end(), block.begin(), block.end());
    EXPECT_EQ(sent, FileBytes(path));
    EXPECT_EQ(port.written.back(), kCommit);
    EXPECT_EQ(sleeps, std::vector<std::uint32_t>(60, 1000));

    ASSERT_EQ(progress.size(), 1u + 3u + 1u + 60u);
    EXPECT_EQ(progress[0].blocksSent, 0u);
    EXPECT_EQ(progress[0].bytesTotal, 300u);
    EXPECT_EQ(progress[2].bytesSent, 256u);
    EXPECT_EQ(progress[2].elapsedMs, 10);
    EXPECT_EQ(progress.back().phase, vx::FirmwarePhase::Programming);
    EXPECT_EQ(progress.back().waitStepsDone, 60);
}

TEST_F(FirmwareLoader, AnImageOfExactlyTheBufferSizeIsSent) {
    const FirmwareLoadOutcome outcome = Load(Image(0x100000));
    EXPECT_EQ(outcome.result, FirmwareResult::Done);
    EXPECT_EQ(Blocks().size(), 8192u);
    EXPECT_TRUE(Committed());
}

TEST_F(FirmwareLoader, LargerImagesAreRefusedOnTheirWholeLengthBeforeAnyRead) {
    const std::string sparse = dir.File("sparse.bin");
    std::ofstream{sparse};
    std::filesystem::resize_file(sparse, (std::uint64_t{1} << 32) + 300);
    for (const auto& [path, length] : {std::pair{Image(0x100001), std::uint64_t{0x100001}},
                                       std::pair{sparse, (std::uint64_t{1} << 32) + 300}}) {
        const FirmwareLoadOutcome outcome = Load(path);
        EXPECT_EQ(outcome.result, FirmwareResult::TooBig) << path;
        EXPECT_EQ(outcome.fileLength, length);
    }
    EXPECT_TRUE(port.written.empty());
}

TEST_F(FirmwareLoader, FileFailuresSendNothing) {
    struct Case {
        std::string path;
        FirmwareResult result;
        std::vector<std::pair<Step, int>> failures;
    };
    std::vector<Case> cases = {
        {Image(0), FirmwareResult::EmptyImage, {}},
        // A file that cannot be opened has no length either.
        {"", FirmwareResult::FileError, {{Step::Open, ENOENT}, {Step::Length, EBADF}}},
        {dir.Path(), FirmwareResult::FileError, {{Step::Open, EISDIR}, {Step::Length, EBADF}}},
    };
    // A sysfs attribute claims a page of length and holds a few bytes.
    if (std::ifstream("/sys/devices/system/cpu/online"))
        cases.push_back(
            {"/sys/devices/system/cpu/online", FirmwareResult::FileError, {{Step::EndOfFile, 0}}});
    for (const Case& c : cases) {
        // Checking the image ahead ends as the load itself does.
        for (const FirmwareLoadOutcome& outcome :
             {Load(c.path), vx::FirmwareLoader::ReadImage(c.path).outcome}) {
            EXPECT_EQ(outcome.result, c.result) << c.path;
            std::vector<std::pair<Step, int>> failures;
            for (const FirmwareFileFailure& failure : outcome.fileFailures)
                failures.emplace_back(failure.step, failure.osError);
            EXPECT_EQ(failures, c.failures) << c.path;
        }
    }
    const FirmwareLoadOutcome loadable = vx::FirmwareLoader::ReadImage(Image(300)).outcome;
    EXPECT_EQ(loadable.result, FirmwareResult::Done);
    EXPECT_EQ(loadable.fileLength, 300u);
    EXPECT_EQ(loadable.blocksTotal, 3u);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(FirmwareLoader, ARefusedBlockEndsTheTransferWithoutACommit) {
    port.onWrite = [](const Bytes& packet, ScriptedPort& self) {
        if (self.written.size() == 1) // only the first block is answered
            self.Queue({0x27, 0, packet[2], packet[3], 0, 0});
    };
    const FirmwareLoadOutcome outcome = Load(Image(1000));
    EXPECT_EQ(outcome.result, FirmwareResult::BlockRefused);
    EXPECT_EQ(outcome.blocksSent, 1u);
    EXPECT_EQ(Blocks().size(), 2u);
    EXPECT_FALSE(Committed());
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(FirmwareLoader, CancelStopsBetweenBlocksButNotTheProgrammingWait) {
    onProgress = [this](const vx::FirmwareProgress& state) { cancel = state.blocksSent == 2; };
    FirmwareLoadOutcome outcome = Load(Image(1000));
    EXPECT_EQ(outcome.result, FirmwareResult::Cancelled);
    EXPECT_EQ(Blocks().size(), 2u);
    EXPECT_FALSE(Committed());
    EXPECT_TRUE(sleeps.empty());

    cancel = false;
    onProgress = [this](const vx::FirmwareProgress& state) {
        cancel = state.phase == vx::FirmwarePhase::Programming;
    };
    outcome = Load(Image(1000));
    EXPECT_EQ(outcome.result, FirmwareResult::Done);
    EXPECT_EQ(sleeps.size(), 60u);
}
