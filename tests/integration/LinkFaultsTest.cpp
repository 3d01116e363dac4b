// Exchanges with the simulated unit over a pseudo-terminal, with each fault
// the unit's side can show: no answer, a late answer, a reply cut short or
// with surplus bytes, a wrong header, an unplugged adapter.
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "support/SimLink.h"

#include <gtest/gtest.h>

using namespace vx;
using vxtest::SimLink;

namespace {

// A status request: the header alone, answered by 15 bytes.
BOOL StatusExchange(CVX18D3_Comm& comm, BYTE (&reply)[15]) {
    BYTE request[6] = {0, 0, 0x00, 0x20, 0, 0};
    std::fill(std::begin(reply), std::end(reply), 0);
    return comm.Transact(request, 0, reply, 9, 0);
}

class LinkFaultsTest : public ::testing::Test {
protected:
    SimLink link;
    void SetUp() override {
        ASSERT_TRUE(link.Ready()) << link.Unit().LastError();
        link.Comm().m_nTimeout = 300;
    }
};

} // namespace

TEST_F(LinkFaultsTest, HealthyLinkAnswersEveryExchange) {
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
    BYTE reply[15];
    EXPECT_TRUE(StatusExchange(link.Comm(), reply));
    EXPECT_EQ(reply[0], 0x27);
    EXPECT_EQ(reply[3], 0x20);
    EXPECT_EQ(reply[4], 9);
    const auto requests = link.Unit().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], (std::vector<std::uint8_t>{0x27, 0, 0, 0, 0, 0}));
    EXPECT_EQ(requests[1], (std::vector<std::uint8_t>{0x27, 0, 0, 0x20, 0, 0}));
}

TEST_F(LinkFaultsTest, NoAnswerTimesOutAfterTheReplyTimeout) {
    link.Unit().ArmNoAnswer();
    const auto start = plat::TickMs();
    EXPECT_FALSE(link.Comm().Ping(0));
    const auto elapsed = plat::TickMs() - start;
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
    EXPECT_GE(elapsed, 300);
    EXPECT_LT(elapsed, 300 + 200 + 150); // at most one read wait past the deadline
    // The next exchange is answered again.
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
}

TEST_F(LinkFaultsTest, LateAnswerCountsOnlyWithinTheDeadline) {
    link.Unit().ArmLateAnswer(100);
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_NE(link.Comm().m_nLastResult, 0u);

    link.Unit().ArmLateAnswer(450);
    EXPECT_FALSE(link.Comm().Ping(0));
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
}

TEST_F(LinkFaultsTest, ShortReplyFailsAndKeepsTheBytesThatCame) {
    link.Unit().ArmShortReply(4);
    BYTE reply[15];
    link.Comm().m_nLastResult = 1;
    EXPECT_FALSE(StatusExchange(link.Comm(), reply));
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
    EXPECT_EQ(reply[0], 0x27);
    EXPECT_EQ(reply[4], 9);
    EXPECT_EQ(reply[11], 0); // never arrived: still the caller's zero
    EXPECT_EQ(reply[14], 0);
}

TEST_F(LinkFaultsTest, SurplusBytesStayInThePortUntilDiscarded) {
    link.Unit().ArmSurplusBytes({0xAA, 0xBB, 0xCC});
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
    plat::Sleep(30);
    EXPECT_EQ(link.Port().DiscardPendingInput(), 3u);
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
}

TEST_F(LinkFaultsTest, WrongHeaderCompletesTheExchangeButFailsTheLinkTest) {
    link.Unit().ArmWrongHeader();
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
}

TEST_F(LinkFaultsTest, UnitGoingSilentAfterSomeExchanges) {
    link.Unit().StopAfter(2);
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_FALSE(link.Comm().Ping(0));
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
}

TEST_F(LinkFaultsTest, UnpluggedAdapterFailsTheWriteAndKeepsTheLastResult) {
    plat::DebugCapture debug;
    ASSERT_TRUE(link.Comm().Ping(0));
    link.Unit().Unplug();
    BYTE reply[15];
    const auto start = plat::TickMs();
    EXPECT_FALSE(StatusExchange(link.Comm(), reply));
    EXPECT_LT(plat::TickMs() - start, 100); // no wait for a reply that cannot come
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
    EXPECT_TRUE(debug.Contains("::WriteFile() error: 1167\r\n"));
}

// At 110 baud each byte takes about 91 ms on the line: the 6-byte reply to
// the link test starts inside a 1000 ms deadline and ends after it.
TEST(LinkDeadline, LastByteAfterTheDeadlineIsATimeOut) {
    SimLink slow({}, 110);
    ASSERT_TRUE(slow.Port().IsReady());
    slow.Comm().m_nTimeout = 1000;
    plat::DebugCapture debug;
    EXPECT_FALSE(slow.Comm().Ping(0));
    EXPECT_EQ(slow.Comm().m_nLastResult, 0u);

    // With room for the whole reply the same exchange passes.
    plat::Sleep(400);
    slow.Port().DiscardPendingInput();
    slow.Comm().m_nTimeout = 2500;
    EXPECT_TRUE(slow.Comm().Ping(0));
    EXPECT_NE(slow.Comm().m_nLastResult, 0u);
}
