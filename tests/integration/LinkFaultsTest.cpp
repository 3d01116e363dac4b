// Exchanges with the simulated unit over a pseudo-terminal, with each fault
// the unit's side can show: no answer, a late answer, a reply cut short or
// with surplus bytes, a wrong header, an unplugged adapter; and the link
// keeping in step after a late reply, and its waits under signals.
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/LastError.h"
#include "platform/SerialDevice.h"
#include "support/SimLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <ctime>
#include <functional>
#include <thread>
#include <unistd.h>
#include <vector>

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

namespace {

// One kind of exchange after a fault, checked against the unit's model.
struct FollowingExchange {
    const char* name;
    std::function<void(SimLink&)> run;
};

void PrintTo(const FollowingExchange& e, std::ostream* os) {
    *os << e.name;
}

void ShortCommandReadsItsOwnReply(SimLink& link) {
    const auto expected =
        link.Unit().WithModel([](sim::UnitModel& m) { return m.Receiver(0).amFilterHz[5]; });
    EXPECT_EQ(link.Comm().ReadAmFilterEntry(0, 5, 0), expected);
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
}

void RegisterReadReadsItsOwnReply(SimLink& link) {
    EXPECT_EQ(link.Comm().ReadRegister(0, 0, 52, 0), 0x0012); // the serial number's first word
    EXPECT_EQ(link.Comm().ReadRegister(1, 0, 48, 0),
              link.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(1, 0, 48); }));
}

void StatusReadsItsOwnReply(SimLink& link) {
    link.Unit().WithModel([](sim::UnitModel& m) {
        m.ForceRawRssi(0, 0x5A3);
        m.ForceAmIndex(0, 33);
        m.ForceFmDeviation(1, 47);
    });
    StatusReading status;
    ASSERT_TRUE(link.Comm().GetReceiverStatus(status, 0));
    EXPECT_EQ(status.receiver[0].rawRssi, 0x5A3);
    EXPECT_EQ(status.receiver[0].amIndex, 33);
    EXPECT_EQ(status.fmDeviation[1], 47);
}

void ConfigurationWordReachesTheUnit(SimLink& link) {
    EXPECT_TRUE(link.Comm().SetTuningFrequency(0, 2250500000ull, 0));
    EXPECT_EQ(link.Unit().WithModel([](sim::UnitModel& m) { return m.Receiver(0).frequencyHz; }),
              2250500000ull);
}

const FollowingExchange kFollowingExchanges[] = {
    {"ShortCommand", ShortCommandReadsItsOwnReply},
    {"RegisterRead", RegisterReadReadsItsOwnReply},
    {"Status", StatusReadsItsOwnReply},
    {"ConfigurationWord", ConfigurationWordReachesTheUnit},
};

class AfterALateReply : public LinkFaultsTest,
                        public ::testing::WithParamInterface<FollowingExchange> {};

// The link stays in step: the next exchange reads exactly its own reply.
void ExpectLinkInStep(SimLink& link) {
    link.Comm().m_nLastResult = 0;
    EXPECT_TRUE(link.Comm().Ping(0));
    EXPECT_NE(link.Comm().m_nLastResult, 0u);
    plat::Sleep(30);
    EXPECT_EQ(link.Port().DiscardPendingInput(), 0u);
}

} // namespace

// The reply to a link test comes after the exchange gave up, and waits in
// the port when the next request goes out: it is not that request's reply.
TEST_P(AfterALateReply, TheNextExchangeReadsItsOwnReply) {
    link.Unit().ArmLateAnswer(450);
    EXPECT_FALSE(link.Comm().Ping(0));
    plat::Sleep(300); // the late reply has arrived by now
    link.Unit().ClearRequests();

    GetParam().run(link);
    ExpectLinkInStep(link);
    // The requests on the line are exactly those of the exchanges made.
    for (const auto& request : link.Unit().Requests())
        EXPECT_EQ(request[0], 0x27);
}

INSTANTIATE_TEST_SUITE_P(EachKind, AfterALateReply, ::testing::ValuesIn(kFollowingExchanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkFaultsTest, SurplusBytesAreNotReadAsTheNextReply) {
    link.Unit().ArmSurplusBytes({0xAA, 0xBB, 0xCC});
    EXPECT_TRUE(link.Comm().Ping(0));
    plat::Sleep(30);
    ShortCommandReadsItsOwnReply(link);
    ExpectLinkInStep(link);
}

// The reply to the request before comes instead of this one's: the short
// command gets 6 bytes where it waits for 10 and fails; the link is in step
// again for the next exchange.
TEST_F(LinkFaultsTest, ReplyOutOfTurnFailsOnlyItsOwnExchange) {
    ASSERT_TRUE(link.Comm().Ping(0));
    link.Unit().ArmReplay();
    EXPECT_EQ(link.Comm().ReadAmFilterEntry(0, 5, 0), 0);
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
    ShortCommandReadsItsOwnReply(link);
    ExpectLinkInStep(link);
}

// 3000 bytes of garbage take about 520 ms at 57600 baud; once they have
// passed, the link is in step again.
TEST_F(LinkFaultsTest, LinkRecoversOnceAStreamOfGarbageHasPassed) {
    link.Unit().ArmGarbage(3000);
    EXPECT_TRUE(link.Comm().Ping(0)); // six bytes of garbage complete the exchange
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
    plat::Sleep(700);
    ShortCommandReadsItsOwnReply(link);
    ExpectLinkInStep(link);
}

// A unit that stops reading fills the line until writes can go no further:
// the write fails after its time-out instead of hanging, and the link works
// again once the unit reads.
TEST_F(LinkFaultsTest, StalledUnitFailsTheWriteInsteadOfHanging) {
    link.Unit().ArmStall(1500);
    ASSERT_TRUE(link.Comm().Ping(0));
    ASSERT_TRUE(link.Port().SetTimeouts(0, 200, 0, 0, 300));
    const std::vector<BYTE> flood(1 << 20, 0x55); // far more than the line holds
    DWORD written = 0;
    const auto start = plat::TickMs();
    EXPECT_FALSE(plat::WriteFile(link.Port().Device(), flood.data(),
                                 static_cast<DWORD>(flood.size()), &written, nullptr));
    EXPECT_EQ(plat::GetLastError(), plat::ERROR_SEM_TIMEOUT);
    EXPECT_LT(plat::TickMs() - start, 1200); // failed while the unit still stalled
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, flood.size());

    ASSERT_TRUE(link.Port().SetTimeouts(0, 200, 0, 0, 0));
    plat::Sleep(1500); // the stall has ended and the unit has read what piled up
    ExpectLinkInStep(link);
}

namespace {

// A timer that signals this thread (and only it) every period, with a
// handler that interrupts system calls; Stop() may be called from any thread.
class TimerSignals {
public:
    explicit TimerSignals(std::chrono::milliseconds period) {
        struct sigaction action {};
        action.sa_handler = [](int) { s_count.fetch_add(1); };
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART
        sigaction(SIGALRM, &action, &m_previous);
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = SIGALRM;
        event._sigev_un._tid = static_cast<pid_t>(gettid());
        m_created = timer_create(CLOCK_MONOTONIC, &event, &m_timer) == 0;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(period).count();
        const timespec every{static_cast<time_t>(ns / 1000000000),
                             static_cast<long>(ns % 1000000000)};
        itimerspec spec{every, every};
        if (m_created)
            timer_settime(m_timer, 0, &spec, nullptr);
    }
    ~TimerSignals() {
        Stop();
        if (m_created)
            timer_delete(m_timer);
        sigaction(SIGALRM, &m_previous, nullptr);
    }
    TimerSignals(const TimerSignals&) = delete;
    TimerSignals& operator=(const TimerSignals&) = delete;

    bool Armed() const { return m_created; }
    void Stop() {
        itimerspec off{};
        if (m_created)
            timer_settime(m_timer, 0, &off, nullptr);
    }
    static int Count() { return s_count.load(); }

private:
    static inline std::atomic<int> s_count{0};
    timer_t m_timer{};
    bool m_created = false;
    struct sigaction m_previous {};
};

} // namespace

// Signals that come more often than the port's 200 ms read wait (a 150 ms
// timer) interrupt every wait; the exchange with a silent unit still ends
// at its deadline instead of waiting for the signals to stop.
TEST_F(LinkFaultsTest, SignalsDoNotStretchTheWaitForASilentUnit) {
    link.Unit().StopAfter(0);
    TimerSignals signals(std::chrono::milliseconds(150));
    ASSERT_TRUE(signals.Armed());
    const int signalsBefore = TimerSignals::Count();

    // Should the exchange not end, the signals stop after 3 s so that it can.
    std::atomic<bool> done{false};
    std::atomic<bool> rescued{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !done; ++i)
            plat::Sleep(10);
        if (!done) {
            rescued = true;
            signals.Stop();
        }
    });
    const auto start = plat::TickMs();
    EXPECT_FALSE(link.Comm().Ping(0));
    const auto elapsed = plat::TickMs() - start;
    done = true;
    watchdog.join();

    EXPECT_FALSE(rescued) << "the exchange ended only once the signals stopped";
    EXPECT_EQ(link.Comm().m_nLastResult, 0u);
    EXPECT_GE(elapsed, 300);
    EXPECT_LT(elapsed, 300 + 200 + 150);
    EXPECT_GE(TimerSignals::Count() - signalsBefore, 2); // the waits were interrupted
}
