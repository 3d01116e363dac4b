// vx18dctl through the unit server, several at once, each as a script runs
// it: two status pollers and a third setting receivers, and two read-outs of
// the unit's configuration, every one getting the answers it gets alone.
#include "ServerTestSupport.h"

#include "sim/UnitModel.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

using namespace vxtest;

namespace {

// vx18dctl on the server's address at the server's rate.
std::vector<std::string> Through(const PortServer& server, std::vector<std::string> args,
                                 std::uint32_t baud = ServerSetup{}.baud) {
    std::vector<std::string> all{"--port", server.Address(), "--baud", std::to_string(baud),
                                 "--json"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

} // namespace

TEST(ServerFrontEnds, TwoPollersAndASetterAtOnceEachGetTheirOwnAnswers) {
    ServerHarness server;
    ASSERT_TRUE(server.Ready()) << server.Error();
    server.Unit().WithModel([](sim::UnitModel& m) {
        m.ForceRawRssi(0, 0x123);
        m.ForceRawRssi(1, 0x456);
    });
    const std::string dir = server.Config().Path();
    constexpr int kSamples = 30;
    const auto poll =
        Through(server, {"status", "--watch", "--rate", "10", "--count", std::to_string(kSamples)});
    ChildProcess first(VX18DCTL_PATH, poll, dir, "first");
    ChildProcess second(VX18DCTL_PATH, poll, dir, "second");

    const std::vector<std::pair<std::string, std::uint64_t>> tunings{
        {"1", 1450'000'000}, {"2", 2250'500'000}, {"1", 1480'250'000}, {"2", 2290'000'000}};
    for (std::size_t i = 0; i < tunings.size(); ++i) {
        const auto& [rx, hz] = tunings[i];
        ChildProcess set(VX18DCTL_PATH,
                         Through(server, {"set", rx, "freq=" + std::to_string(hz) + "Hz"}), dir,
                         "set" + std::to_string(i));
        ASSERT_EQ(set.Wait(30000), 0) << set.Err();
        const std::vector<nlohmann::json> out = JsonLines(set.Out());
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.back()["frequency_hz"], hz) << set.Out();
        EXPECT_EQ(out.back()["applied"][0]["ok"], true) << set.Out();
        EXPECT_EQ(server.Unit().WithModel(
                      [&](sim::UnitModel& m) { return m.Receiver(rx == "1" ? 0 : 1).frequencyHz; }),
                  hz);
    }

    for (ChildProcess* poller : {&first, &second}) {
        ASSERT_EQ(poller->Wait(30000), 0) << poller->Err();
        const std::vector<nlohmann::json> samples = JsonLines(poller->Out());
        ASSERT_EQ(samples.size(), std::size_t{kSamples}) << poller->Out();
        for (const nlohmann::json& s : samples) {
            EXPECT_EQ(s["ok"], true) << s;
            EXPECT_EQ(s["receivers"][0]["raw_rssi"], 0x123) << s;
            EXPECT_EQ(s["receivers"][1]["raw_rssi"], 0x456) << s;
        }
    }
    EXPECT_TRUE(OnlyWholeRequests(server.Unit().Requests()));
}

TEST(ServerFrontEnds, TwoReadOutsAtOnceGiveWhatEachGivesAlone) {
    // Each reads the whole configuration, as the window's start-up does, not
    // the fixed tables the first one kept in the configuration cache.
    // At 57600 baud a read-out takes about a second, so the two overlap even
    // when one of them is slow to start on a busy machine.
    ServerSetup setup;
    setup.baud = 57600;
    ServerHarness server(setup);
    ASSERT_TRUE(server.Ready()) << server.Error();
    const std::string dir = server.Config().Path();
    std::string alone;
    {
        ChildProcess info(VX18DCTL_PATH, Through(server, {"--no-cache", "info"}, setup.baud), dir,
                          "alone");
        ASSERT_EQ(info.Wait(30000), 0) << info.Err();
        alone = info.Out();
    }
    const std::size_t aloneRequests = server.Unit().Requests().size();
    ASSERT_GT(aloneRequests, 250u);

    ChildProcess a(VX18DCTL_PATH, Through(server, {"--no-cache", "info"}, setup.baud), dir, "a");
    ChildProcess b(VX18DCTL_PATH, Through(server, {"--no-cache", "info"}, setup.baud), dir, "b");
    ASSERT_EQ(a.Wait(30000), 0) << a.Err();
    ASSERT_EQ(b.Wait(30000), 0) << b.Err();
    EXPECT_EQ(a.Out(), alone);
    EXPECT_EQ(b.Out(), alone);
    // Interleaved read-outs cost page selections on top of their own; none
    // is lost either way.
    const std::vector<Bytes> logged = server.Unit().Requests();
    EXPECT_GE(logged.size(), 3 * aloneRequests);
    EXPECT_TRUE(OnlyWholeRequests(logged));
}
