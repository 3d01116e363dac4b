// Clients that misbehave cost only themselves: half a request and silence,
// a disconnect in the middle of an exchange, a header no request can have,
// one client too many.
#include "ServerTestSupport.h"

#include <gtest/gtest.h>

using namespace vxtest;

namespace {

constexpr int kReplyWaitMs = 3000;

bool HasRequestWithCommand(const std::vector<Bytes>& logged, std::uint8_t command) {
    return std::any_of(logged.begin(), logged.end(),
                       [&](const Bytes& r) { return r.size() == 10 && r[6] == command; });
}

} // namespace

TEST(ServerClientFaults, HalfARequestAndSilenceHoldsNobodyUpAndClosesItsClient) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto quiet = server.Connect();
    auto busy = server.Connect();

    // The AM counter query of the second receiver, cut after byte 7.
    const Bytes request = ShortCommand(0x39, 0);
    quiet->Send(Bytes(request.begin(), request.begin() + 7));
    // Served while the partial request waits.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(busy->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
    EXPECT_FALSE(quiet->WaitClosed(0));

    EXPECT_TRUE(quiet->WaitClosed(5000));
    EXPECT_TRUE(server.WaitForLog("7 bytes of a request and then nothing for 500 ms", 1000))
        << server.Log();
    EXPECT_TRUE(busy->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
    const std::vector<Bytes> logged = server.Unit().Requests();
    EXPECT_TRUE(OnlyWholeRequests(logged));
    EXPECT_FALSE(HasRequestWithCommand(logged, 0x39));
}

TEST(ServerClientFaults, AClientThatLeavesMidExchangeCostsOnlyItsOwnReply) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto leaving = server.Connect();
    auto staying = server.Connect();

    // The reply comes within the time-out, but after its client has gone.
    server.Unit().ArmLateAnswer(150);
    leaving->Send(ReadRegister(0, 52));
    ASSERT_TRUE(WaitFor([&] { return server.Unit().Requests().size() == 1; }, 2000))
        << server.Unit().Requests().size() << server.Log();
    leaving->Close();
    EXPECT_TRUE(server.WaitForLog("disconnected: closed by the client", 2000)) << server.Log();

    ASSERT_TRUE(staying->Exchange(SelectPage(1, 0), kShortReplyLength, kReplyWaitMs));
    const auto reply = staying->Exchange(ReadRegister(1, 48), kShortReplyLength, kReplyWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0x40 | 48);
    EXPECT_TRUE(OnlyWholeRequests(server.Unit().Requests()));
}

TEST(ServerClientFaults, AHeaderNoRequestCanHaveClosesItsClientBeforeAnythingReachesTheUnit) {
    const std::vector<std::pair<Bytes, std::string>> cases{
        {{0x41, 0x54, 0x0D, 0x0A}, "start byte 0x41, not 0x27"},
        {{0x27, 0x00, 0x20, 0x10, 0x00, 0x02}, "payload length 512"},
        {{0x27, 0x00, 0x42, 0x42, 0x00, 0x00}, "packet type 0x42 0x42"},
    };
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto good = server.Connect();
    for (const auto& [header, reason] : cases) {
        auto bad = server.Connect();
        Bytes stream = header;
        stream.insert(stream.end(), 200, 0x27);
        bad->Send(stream);
        EXPECT_TRUE(bad->WaitClosed(3000)) << reason;
        EXPECT_TRUE(server.WaitForLog("invalid request header", 1000)) << server.Log();
        EXPECT_TRUE(server.WaitForLog(reason, 1000)) << server.Log();
        EXPECT_TRUE(good->Exchange(LinkTestRequest(), kHeaderOnlyReplyLength, kReplyWaitMs));
    }
    EXPECT_EQ(server.Unit().Requests(), std::vector<Bytes>(cases.size(), LinkTestRequest()));
}

TEST(ServerClientFaults, ClientsBeyondTheLimitAreRefusedAtConnect) {
    ServerSetup setup;
    setup.config.maxClients = 2;
    ServerHarness server(setup);
    ASSERT_TRUE(server.Ready()) << server.Error();
    auto first = server.Connect();
    auto second = server.Connect();
    ASSERT_TRUE(server.WaitForLog("(2 of at most 2 clients)", 2000)) << server.Log();

    auto third = server.Connect();
    EXPECT_TRUE(third->WaitClosed(2000));
    EXPECT_TRUE(server.WaitForLog("2 clients are connected, the most allowed", 1000))
        << server.Log();
    EXPECT_TRUE(first->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
    EXPECT_TRUE(second->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));

    // A place that comes free is taken again.
    first->Close();
    ASSERT_TRUE(WaitFor([&] { return server.Server().ClientCount() == 1; }, 2000));
    auto fourth = server.Connect();
    EXPECT_TRUE(fourth->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
}
