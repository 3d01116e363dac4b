// The server's framing on its own: whole requests out of any split of the
// stream, the reply length each gets, headers refused as soon as their
// bytes show them, and the requests whose effect outlasts their exchange.
#include "ServerTestSupport.h"
#include "server/RequestFramer.h"

#include <gtest/gtest.h>

using vx::server::Request;
using vx::server::RequestFramer;
using vx::server::RequestKind;
using vxtest::Bytes;

namespace {

Bytes Concatenate(const std::vector<Bytes>& packets) {
    Bytes all;
    for (const Bytes& p : packets)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kStatus{0x27, 0x00, 0x00, 0x20, 0x00, 0x00};
const Bytes kLinkTest{0x27, 0x00, 0x00, 0x00, 0x00, 0x00};
const Bytes kReadRegister52{0x27, 0x00, 0x01, 0x10, 0x04, 0x00, 0x10, 0x74, 0x00, 0x00};
const Bytes kConfigurationWord{0x27, 0x00, 0x00, 0x10, 0x08, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};

} // namespace

TEST(ServerFraming, EverySplitOfTheStreamGivesTheSameWholeRequests) {
    const std::vector<Bytes> packets{kStatus,
                                     kReadRegister52,
                                     vxtest::FirmwareBlock(0x27, 128),
                                     kConfigurationWord,
                                     kLinkTest,
                                     vxtest::FirmwareBlock(0xFF, 1)};
    const std::vector<std::size_t> replyLengths{15, 10, 6, 6, 6, 6};
    const Bytes stream = Concatenate(packets);

    for (std::size_t chunk = 1; chunk <= stream.size(); chunk += chunk < 16 ? 1 : 37) {
        RequestFramer framer;
        std::vector<Request> got;
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            const std::size_t n = std::min(chunk, stream.size() - at);
            RequestFramer::Fed fed = framer.Feed({stream.data() + at, n});
            ASSERT_TRUE(fed.refusal.empty()) << fed.refusal;
            for (Request& r : fed.requests)
                got.push_back(std::move(r));
        }
        ASSERT_EQ(got.size(), packets.size()) << "chunk " << chunk;
        for (std::size_t i = 0; i < packets.size(); ++i) {
            EXPECT_EQ(got[i].bytes, packets[i]) << "chunk " << chunk << ", packet " << i;
            EXPECT_EQ(got[i].replyLength, replyLengths[i]) << "packet " << i;
        }
        EXPECT_EQ(framer.PendingBytes(), 0u);
    }
}

TEST(ServerFraming, AHeaderNoRequestCanHaveIsRefusedAtTheByteThatShowsIt) {
    struct Case {
        Bytes stream;
        std::size_t refusedAt; // header bytes taken when the refusal came
        const char* reason;
    };
    const Case cases[] = {
        {{0x41, 0x27, 0x00, 0x00, 0x20, 0x00, 0x00}, 1, "start byte 0x41"},
        {{0x27, 0x01, 0x00, 0x20, 0x00, 0x00}, 2, "reserved byte 0x01"},
        {{0x27, 0x00, 0x55, 0x10, 0x00, 0x00}, 4, "packet type 0x55 0x10"},
        // Longer than the longest request, a firmware block of 128 bytes.
        {{0x27, 0x00, 0x20, 0x10, 0x81, 0x00}, 6, "payload length 129"},
        {{0x27, 0x00, 0x20, 0x10, 0x00, 0x00}, 6, "payload length 0"},
        {{0x27, 0x00, 0x01, 0x10, 0x05, 0x00}, 6, "payload length 5"},
        {{0x27, 0x00, 0x00, 0x20, 0x00, 0x01}, 6, "payload length 256"},
    };
    for (const Case& c : cases) {
        RequestFramer framer;
        // A whole request first: it still comes out.
        Bytes stream = kStatus;
        stream.insert(stream.end(), c.stream.begin(), c.stream.end());
        const RequestFramer::Fed fed = framer.Feed(stream);
        ASSERT_EQ(fed.requests.size(), 1u) << c.reason;
        EXPECT_NE(fed.refusal.find(c.reason), std::string::npos) << fed.refusal;
        EXPECT_EQ(fed.refusedHeader.size(), c.refusedAt) << c.reason;
    }
}

TEST(ServerFraming, RegisterAccessAndFirmwareCommitAreRecognised) {
    using vx::server::IsFirmwareCommit;
    using vx::server::MakeRequest;
    using vx::server::RegisterAccessOf;
    auto shortCommand = [](std::uint8_t command, std::uint8_t a1) {
        return MakeRequest({0x27, 0x00, 0x01, 0x10, 0x04, 0x00, command, a1, 0, 0});
    };

    const auto select = RegisterAccessOf(shortCommand(0x11, 18));
    ASSERT_TRUE(select);
    EXPECT_EQ(select->receiver, 1);
    EXPECT_TRUE(select->selectsPage);
    EXPECT_EQ(select->page, 18);

    const auto read = RegisterAccessOf(shortCommand(0x10, 0x40 | 52));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->receiver, 0);
    EXPECT_FALSE(read->selectsPage);
    const auto write = RegisterAccessOf(shortCommand(0x11, 0x80 | 9));
    ASSERT_TRUE(write);
    EXPECT_FALSE(write->selectsPage);

    // Other short commands with the same first argument are not register access.
    EXPECT_FALSE(RegisterAccessOf(shortCommand(0x90, 0)));
    EXPECT_FALSE(RegisterAccessOf(shortCommand(0x18, 0)));
    EXPECT_FALSE(RegisterAccessOf(MakeRequest(kStatus)));

    EXPECT_TRUE(IsFirmwareCommit(shortCommand(0x98, 0xFF)));
    EXPECT_FALSE(IsFirmwareCommit(shortCommand(0x98, 0x00)));
    EXPECT_FALSE(IsFirmwareCommit(shortCommand(0x90, 0xFF)));
}
