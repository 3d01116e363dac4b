// The unit server's exchanges on the simulated unit: replies go to the
// client whose request they answer, with the right values, while several
// clients read registers on different pages at once; page selections are
// renewed for the client that made them; line settings are the server's;
// exchanges from inside the process share the queue.
#include "ServerTestSupport.h"

#include "sim/UnitModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace vxtest;

namespace {

constexpr int kReplyWaitMs = 3000;

// A value per receiver, page and register that no other has.
std::uint16_t Marked(int rx, int page, int reg) {
    return static_cast<std::uint16_t>(0x8000 | rx << 12 | page << 6 | reg);
}

// Pages 3 to 12 of both receivers hold their marks in registers 0 to 15.
void MarkPages(sim::SimulatedUnit& unit) {
    unit.WithModel([](sim::UnitModel& model) {
        for (int rx = 0; rx < 2; ++rx)
            for (int page = 3; page <= 12; ++page)
                for (int reg = 0; reg < 16; ++reg)
                    model.WriteRegister(rx, page, reg, Marked(rx, page, reg));
    });
}

// Reads a register through the client; the value, or nothing without a
// whole reply that echoes the request.
std::optional<std::uint16_t> Read(Rfc2217TestClient& client, int rx, std::uint8_t reg) {
    const Bytes request = ReadRegister(rx, reg);
    const auto reply = client.Exchange(request, kShortReplyLength, kReplyWaitMs);
    if (!reply || !std::equal(request.begin(), request.begin() + 8, reply->begin()))
        return std::nullopt;
    return RegisterValue(*reply);
}

std::size_t CountOf(const std::vector<Bytes>& logged, const Bytes& request) {
    return static_cast<std::size_t>(std::count(logged.begin(), logged.end(), request));
}

// The server on a unit whose pages 3 to 12 carry their marks.
class ServerExchange : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Ready()) << server.Error();
        MarkPages(server.Unit());
    }

    ServerHarness server;
};

} // namespace

TEST_F(ServerExchange, ClientsReadingRegistersAtOnceEachGetTheirOwnPagesValues) {

    constexpr int kClients = 4;
    constexpr int kReads = 40;
    std::vector<std::future<std::string>> results;
    for (int k = 0; k < kClients; ++k) {
        results.push_back(std::async(std::launch::async, [this, k]() -> std::string {
            auto client = server.Connect();
            const int rx = k % 2;
            const auto page = static_cast<std::uint8_t>(3 + k); // two clients per receiver
            if (!client->Exchange(SelectPage(rx, page), kShortReplyLength, kReplyWaitMs))
                return "client " + std::to_string(k) + ": no reply to its page selection";
            for (int i = 0; i < kReads; ++i) {
                const auto reg = static_cast<std::uint8_t>((i * 7 + k) % 16);
                const auto value = Read(*client, rx, reg);
                if (value != Marked(rx, page, reg))
                    return "client " + std::to_string(k) + " read " +
                           (value ? std::to_string(*value) : "nothing") + " for register " +
                           std::to_string(reg) + " of page " + std::to_string(page);
                if (i % 8 == 0) {
                    const auto status =
                        client->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs);
                    if (!status || (*status)[3] != 0x20 || (*status)[4] != 9)
                        return "client " + std::to_string(k) + ": no status reply";
                }
            }
            return "";
        }));
    }
    for (auto& result : results)
        EXPECT_EQ(result.get(), "");

    const std::vector<Bytes> logged = server.Unit().Requests();
    EXPECT_TRUE(OnlyWholeRequests(logged));
    std::size_t reads = 0;
    for (const Bytes& r : logged)
        reads += r.size() == 10 && (r[6] & 0xFE) == 0x10 && (r[7] & 0xC0) == 0x40;
    EXPECT_EQ(reads, std::size_t{kClients * kReads});
}

TEST_F(ServerExchange, AReadReachesTheUnitOnThePageItsClientSelected) {
    auto a = server.Connect();
    auto b = server.Connect();

    ASSERT_TRUE(a->Exchange(SelectPage(0, 5), kShortReplyLength, kReplyWaitMs));
    ASSERT_TRUE(b->Exchange(SelectPage(0, 9), kShortReplyLength, kReplyWaitMs));
    // The unit has B's page now; A's read goes out behind A's page again.
    EXPECT_EQ(Read(*a, 0, 4), Marked(0, 5, 4));
    EXPECT_EQ(Read(*b, 0, 4), Marked(0, 9, 4));
    // The unit still has B's page: no selection before B's second read.
    EXPECT_EQ(Read(*b, 0, 7), Marked(0, 9, 7));
    // The other receiver's page is its own.
    ASSERT_TRUE(a->Exchange(SelectPage(1, 11), kShortReplyLength, kReplyWaitMs));
    EXPECT_EQ(Read(*a, 0, 2), Marked(0, 5, 2));
    EXPECT_EQ(Read(*a, 1, 2), Marked(1, 11, 2));

    const std::vector<Bytes> expected{
        SelectPage(0, 5), SelectPage(0, 9),   SelectPage(0, 5),   ReadRegister(0, 4),
        SelectPage(0, 9), ReadRegister(0, 4), ReadRegister(0, 7), SelectPage(1, 11),
        SelectPage(0, 5), ReadRegister(0, 2), ReadRegister(1, 2),
    };
    EXPECT_EQ(server.Unit().Requests(), expected);
}

TEST_F(ServerExchange, AWriteReachesTheRegisterOnItsClientsPage) {
    auto a = server.Connect();
    auto b = server.Connect();

    ASSERT_TRUE(a->Exchange(SelectPage(1, 6), kShortReplyLength, kReplyWaitMs));
    ASSERT_TRUE(b->Exchange(SelectPage(1, 7), kShortReplyLength, kReplyWaitMs));
    ASSERT_TRUE(
        a->Exchange(ShortCommand(0x11, 0x80 | 3, 0x34, 0x12), kShortReplyLength, kReplyWaitMs));
    EXPECT_EQ(server.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(1, 6, 3); }),
              0x1234);
    EXPECT_EQ(server.Unit().WithModel([](sim::UnitModel& m) { return m.ReadRegister(1, 7, 3); }),
              Marked(1, 7, 3));
}

TEST_F(ServerExchange, LineSettingsAreAnsweredWithTheServersOwn) {
    auto client = server.Connect();
    ASSERT_TRUE(client->Connected());

    EXPECT_EQ(client->SetBaudRate(115200, 2000), 921600u);
    EXPECT_EQ(client->SetBaudRate(0, 2000), 921600u);
    EXPECT_EQ(client->Command(2, {7}, 2000), (Bytes{102, 8}));   // data bits
    EXPECT_EQ(client->Command(3, {3}, 2000), (Bytes{103, 1}));   // even asked, none kept
    EXPECT_EQ(client->Command(4, {2}, 2000), (Bytes{104, 1}));   // two asked, one kept
    EXPECT_EQ(client->Command(5, {11}, 2000), (Bytes{105, 12})); // RTS on asked, stays off
    // The line is untouched: the unit answers as before.
    EXPECT_TRUE(client->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
}

TEST_F(ServerExchange, APurgeEmptiesOnlyItsOwnClientsData) {
    auto a = server.Connect();
    auto b = server.Connect();
    ASSERT_TRUE(b->Exchange(SelectPage(0, 8), kShortReplyLength, kReplyWaitMs));

    // Both have half a request in the server; A purges what it sent.
    const Bytes read = ReadRegister(0, 1);
    const Bytes half(read.begin(), read.begin() + 5);
    a->Send(half);
    b->Send(half);
    EXPECT_EQ(a->Command(12, {2}, 2000), (Bytes{112, 2}));
    // A starts afresh; B's request completes where it stood.
    EXPECT_TRUE(a->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs));
    const Bytes rest(read.begin() + 5, read.end());
    const auto reply = b->Exchange(rest, kShortReplyLength, kReplyWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(RegisterValue(*reply), Marked(0, 8, 1));
    EXPECT_EQ(a->Command(12, {1}, 2000), (Bytes{112, 1}));
    EXPECT_EQ(a->Command(12, {3}, 2000), (Bytes{112, 3}));
}

TEST_F(ServerExchange, ExchangesFromInsideTheProcessShareTheQueue) {
    auto client = server.Connect();
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        while (!stop)
            client->Exchange(StatusRequest(), kStatusReplyLength, kReplyWaitMs);
    });

    server.Unit().WithModel([](sim::UnitModel& m) {
        m.ForceRawRssi(0, 0x123);
        m.ForceRawRssi(1, 0x456);
    });
    vx::server::ExchangeQueue& queue = server.Server().Exchanges();
    std::promise<vx::server::ExchangeResult> answered;
    const vx::server::ClientId id = queue.Attach(
        "metrics", [&](vx::server::ClientId, const vx::server::ExchangeResult& result) {
            answered.set_value(result);
        });
    vx::server::RequestFramer framer;
    auto fed = framer.Feed(StatusRequest());
    ASSERT_EQ(fed.requests.size(), 1u);
    queue.Submit(id, std::move(fed.requests.front()));
    auto future = answered.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const vx::server::ExchangeResult result = future.get();
    queue.Detach(id);
    stop = true;
    poller.join();

    EXPECT_EQ(result.outcome, vx::server::ExchangeResult::Outcome::Answered);
    ASSERT_EQ(result.reply.size(), kStatusReplyLength);
    EXPECT_EQ(result.reply[7], 0x23); // the raw RSSI words set below
    EXPECT_EQ(result.reply[8] & 0x0F, 0x01);
    EXPECT_EQ(result.reply[11], 0x56);
    EXPECT_EQ(result.reply[12] & 0x0F, 0x04);
    EXPECT_GE(CountOf(server.Unit().Requests(), StatusRequest()), 1u);
}
