// A unit that misbehaves: a reply that comes after the server's time-out or
// never, a port that vanishes and returns, a firmware load during which the
// unit must hear from its loader alone.
#include "ServerTestSupport.h"

#include "sim/UnitModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace vxtest;

namespace {

constexpr int kReplyWaitMs = 3000;

// A client that polls the status in a thread of its own and counts the
// replies it gets.
class Poller {
public:
    explicit Poller(ServerHarness& server)
        : m_client(server.Connect()), m_thread([this] {
              while (!m_stop) {
                  if (m_client->Exchange(StatusRequest(), kStatusReplyLength, 400))
                      ++m_answered;
              }
          }) {}
    ~Poller() {
        m_stop = true;
        m_thread.join();
    }
    int Answered() const { return m_answered; }
    // Waits until the poller has more answers than it had.
    bool AnsweredAgain(int timeoutMs) const {
        const int before = m_answered;
        return WaitFor([&] { return m_answered > before; }, timeoutMs);
    }

private:
    std::unique_ptr<Rfc2217TestClient> m_client;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answered{0};
    std::thread m_thread;
};

bool IsStatusPoll(const Bytes& r) {
    return r == StatusRequest();
}

bool IsFirmwareBlock(const Bytes& r) {
    return r.size() > 6 && r[2] == 0x20 && r[3] == 0x10;
}

} // namespace

TEST(ServerUnitFaults, AReplyAfterTheTimeOutNeverReachesTheNextClient) {
    ServerHarness server; // 300 ms reply time-out
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto first = server.Connect();
    auto second = server.Connect();
    ASSERT_TRUE(first->Exchange(SelectPage(0, 0), kShortReplyLength, kReplyWaitMs));
    ASSERT_TRUE(second->Exchange(SelectPage(1, 0), kShortReplyLength, kReplyWaitMs));

    // The serial number word comes 700 ms late; the second receiver's
    // identity word is asked for right behind it, again after each time-out
    // as a program does, until it has been answered three times.
    server.Unit().ArmLateAnswer(700);
    first->Send(ReadRegister(0, 52));
    ASSERT_TRUE(WaitFor([&] { return server.Unit().Requests().size() == 3; }, 2000));
    int answered = 0;
    for (int attempt = 0; attempt < 10 && answered < 3; ++attempt) {
        const auto reply = second->Exchange(ReadRegister(1, 48), kShortReplyLength, 1000);
        if (!reply)
            continue;
        ++answered;
        EXPECT_EQ((*reply)[6], 0x11) << "attempt " << attempt;
        EXPECT_EQ((*reply)[7], 0x40 | 48) << "attempt " << attempt;
    }
    EXPECT_EQ(answered, 3);
    // The first client gets nothing, not even late.
    EXPECT_TRUE(first->Read(10, 300).empty());
    const auto again = first->Exchange(ReadRegister(0, 53), kShortReplyLength, kReplyWaitMs);
    ASSERT_TRUE(again);
    EXPECT_EQ(RegisterValue(*again), 0xABCD);

    EXPECT_TRUE(server.WaitForLog("the unit gave 0 of 10 reply bytes", 1000)) << server.Log();
    EXPECT_TRUE(server.WaitForLog("the unit answers again", 1000)) << server.Log();
    // Back in step by link tests the unit echoed after the late reply.
    const std::vector<Bytes> logged = server.Unit().Requests();
    EXPECT_TRUE(OnlyWholeRequests(logged));
    EXPECT_EQ(logged.at(3), LinkTestRequest());
}

TEST(ServerUnitFaults, ARequestTheUnitNeverAnswersCostsOnlyItsClient) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto first = server.Connect();
    auto second = server.Connect();

    server.Unit().ArmNoAnswer();
    EXPECT_FALSE(first->Exchange(ShortCommand(0x48, 0), kShortReplyLength, 1000));
    const auto reply = second->Exchange(ShortCommand(0x38, 0), kShortReplyLength, kReplyWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[6], 0x38);
    EXPECT_TRUE(first->Exchange(ShortCommand(0x48, 0), kShortReplyLength, kReplyWaitMs));
}

TEST(ServerUnitFaults, TheUnitsPortVanishesAndReturnsWhileTheClientsStay) {
    ServerHarness server; // reopens every 200 ms
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto client = server.Connect();
    ASSERT_TRUE(client->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));

    server.Unit().Unplug();
    EXPECT_TRUE(server.WaitForLog("COM7 failed: closed; opening it again every 200 ms", 3000))
        << server.Log();
    EXPECT_FALSE(client->Exchange(StatusRequest(), kStatusReplyLength, 500));
    EXPECT_TRUE(server.WaitForLog("cannot open COM7", 3000)) << server.Log();
    EXPECT_FALSE(client->WaitClosed(0));

    ASSERT_TRUE(server.Unit().Start(server.Config().PortsDir(), "COM7"))
        << server.Unit().LastError();
    EXPECT_TRUE(server.WaitForLog("COM7 is open again", 3000)) << server.Log();
    EXPECT_TRUE(client->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
    // One line per change of state, not one per attempt.
    const std::string log = server.Log();
    EXPECT_EQ(log.find("cannot open COM7"), log.rfind("cannot open COM7")) << log;
}

TEST(ServerUnitFaults, NothingOfAnotherClientReachesTheUnitDuringAFirmwareLoad) {
    ServerHarness server; // 1.5 s hold after the commit
    ASSERT_TRUE(server.Ready()) << server.Error();
    Poller poller(server);
    ASSERT_TRUE(poller.AnsweredAgain(3000));
    auto loader = server.Connect();

    for (int block = 0; block < 20; ++block) {
        ASSERT_TRUE(loader->Exchange(FirmwareBlock(static_cast<std::uint8_t>(block)),
                                     kHeaderOnlyReplyLength, kReplyWaitMs))
            << "block " << block;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(loader->Exchange(FirmwareCommit(), kShortReplyLength, kReplyWaitMs));
    const std::size_t atCommit = server.Unit().Requests().size();
    // Well inside the hold: the unit hears nothing while it programs.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(server.Unit().Requests().size(), atCommit);
    EXPECT_TRUE(poller.AnsweredAgain(3000));

    const std::vector<Bytes> logged = server.Unit().Requests();
    EXPECT_TRUE(OnlyWholeRequests(logged));
    const auto first = std::find_if(logged.begin(), logged.end(), IsFirmwareBlock);
    const auto commit = std::find(logged.begin(), logged.end(), FirmwareCommit());
    ASSERT_NE(commit, logged.end());
    EXPECT_TRUE(std::all_of(first, commit, IsFirmwareBlock));
    EXPECT_EQ(commit - first, 20);
    EXPECT_TRUE(std::any_of(commit, logged.end(), IsStatusPoll));
    EXPECT_EQ(server.Unit().WithModel([](sim::UnitModel& m) { return m.Firmware().CommitCount(); }),
              1);
    EXPECT_NE(server.Log().find("is loading firmware"), std::string::npos) << server.Log();
}

TEST(ServerUnitFaults, AnUnfinishedFirmwareLoadEndsWhenItsClientGoesQuietOrAway) {
    ServerHarness server; // a load ends after 1 s without a block
    ASSERT_TRUE(server.Ready()) << server.Error();
    Poller poller(server);
    ASSERT_TRUE(poller.AnsweredAgain(3000));
    auto loader = server.Connect();

    ASSERT_TRUE(loader->Exchange(FirmwareBlock(1), kHeaderOnlyReplyLength, kReplyWaitMs));
    EXPECT_TRUE(poller.AnsweredAgain(3000));
    EXPECT_TRUE(server.WaitForLog("sent no firmware block for 1000 ms", 1000)) << server.Log();

    ASSERT_TRUE(loader->Exchange(FirmwareBlock(2), kHeaderOnlyReplyLength, kReplyWaitMs));
    loader->Close();
    EXPECT_TRUE(poller.AnsweredAgain(3000));
    EXPECT_TRUE(server.WaitForLog("went away before committing its firmware", 1000))
        << server.Log();
    EXPECT_EQ(server.Unit().WithModel([](sim::UnitModel& m) { return m.Firmware().CommitCount(); }),
              0);
}

TEST(ServerUnitFaults, AStopLetsTheExchangeUnderWayCompleteAndReleasesThePort) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto client = server.Connect();
    ASSERT_TRUE(WaitFor([&] { return server.Unit().PortOpen(); }, 2000));

    server.Unit().ArmLateAnswer(200); // within the time-out
    client->Send(StatusRequest());
    ASSERT_TRUE(WaitFor([&] { return server.Unit().Requests().size() == 1; }, 2000));
    std::thread stopper([&] { server.StopServer(); });
    EXPECT_EQ(client->Read(kStatusReplyLength, kReplyWaitMs).size(), kStatusReplyLength);
    EXPECT_TRUE(client->WaitClosed(kReplyWaitMs));
    stopper.join();
    EXPECT_TRUE(WaitFor([&] { return !server.Unit().PortOpen(); }, 2000));
    EXPECT_NE(server.Log().find("disconnected: the server is stopping"), std::string::npos)
        << server.Log();
}
