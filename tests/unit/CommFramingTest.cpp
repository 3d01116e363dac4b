// Framing of requests, the fixed-length reply read, the link test and the
// byte trace, against a scripted port.
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vx;
using vxtest::Bytes;
using vxtest::ScriptedPort;

namespace {

struct TraceMessage {
    UINT message;
    plat::WPARAM wParam;
    plat::LPARAM lParam;
    bool operator==(const TraceMessage&) const = default;
};

class RecordingWindow : public plat::MessageTarget {
public:
    std::vector<TraceMessage> messages;
    plat::LRESULT SendMessage(UINT message, plat::WPARAM wParam, plat::LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
};

class CommFramingTest : public ::testing::Test {
protected:
    ScriptedPort port;
    CVX18D3_Comm comm{&port};
    void SetUp() override { comm.m_nTimeout = 30; }
};

} // namespace

TEST_F(CommFramingTest, ConstructionStartsFromTheDocumentedState) {
    CVX18D3_Comm fresh(&port);
    EXPECT_EQ(fresh.m_pPort, &port);
    EXPECT_EQ(fresh.m_nTimeout, 1000);
    EXPECT_EQ(fresh.m_nLastResult, 0u);
    EXPECT_EQ(fresh.m_hTraceWnd, nullptr);
    EXPECT_EQ(fresh.m_nAmFilter[1], 31);
    EXPECT_EQ(fresh.m_nDagcRangeIndex[0], 6);
    EXPECT_EQ(fresh.m_nDagcLowerDbm[1], -110);
    EXPECT_EQ(fresh.m_nDagcEndVoltage[0], -40);
    EXPECT_EQ(fresh.m_wVideoGain[1], 8191);
    EXPECT_EQ(fresh.m_nExtRefMHz, 10);
}

TEST_F(CommFramingTest, PingSendsTheBareHeaderAndChecksTheEcho) {
    port.onWrite = [](const Bytes&, ScriptedPort& p) { p.Queue({0x27, 0, 0, 0, 0, 0}); };
    EXPECT_TRUE(comm.Ping(0));
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0], (Bytes{0x27, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_NE(comm.m_nLastResult, 0u);

    // Any other six bytes complete the exchange but fail the link.
    port.onWrite = [](const Bytes&, ScriptedPort& p) { p.Queue({0x27, 0, 0, 0x20, 0, 0}); };
    EXPECT_TRUE(comm.Ping(0));
    EXPECT_EQ(comm.m_nLastResult, 0u);
}

TEST_F(CommFramingTest, ReplyIsReadAsAFixedNumberOfBytes) {
    // A status request is the header alone and is answered by 15 bytes;
    // surplus bytes stay in the port for whoever reads next.
    port.onWrite = [](const Bytes&, ScriptedPort& p) {
        p.Queue({0x27, 0, 0, 0x20, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE});
    };
    BYTE request[6] = {0, 0, 0x00, 0x20, 0, 0};
    BYTE reply[15] = {};
    EXPECT_TRUE(comm.Transact(request, 0, reply, 9, 0));
    EXPECT_EQ(port.written[0], (Bytes{0x27, 0x00, 0x00, 0x20, 0x00, 0x00}));
    EXPECT_EQ(reply[14], 9);
    EXPECT_EQ(port.input.size(), 2u);
}

TEST_F(CommFramingTest, ShortReplyTimesOutAndKeepsWhatArrived) {
    port.onWrite = [](const Bytes&, ScriptedPort& p) { p.Queue({0x27, 0, 1, 0x10}); };
    BYTE request[10] = {0, 0, 0x01, 0x10, 0, 0, 0x38, 0, 0, 0};
    BYTE reply[10] = {};
    comm.m_nLastResult = 1;
    const auto start = plat::TickMs();
    EXPECT_FALSE(comm.Transact(request, 4, reply, 4, 0));
    EXPECT_GE(plat::TickMs() - start, 30);
    EXPECT_EQ(comm.m_nLastResult, 0u);
    EXPECT_EQ(reply[3], 0x10);
    EXPECT_EQ(reply[4], 0); // not received: the caller's zeros
    EXPECT_EQ(port.written[0], (Bytes{0x27, 0x00, 0x01, 0x10, 0x04, 0x00, 0x38, 0, 0, 0}));
}

TEST_F(CommFramingTest, FailedWriteReadsNothingAndKeepsTheLastResult) {
    comm.m_nLastResult = 1;
    port.failWrites = true;
    EXPECT_FALSE(comm.Ping(0));
    EXPECT_EQ(port.readTimeouts, 0); // nothing was read
    // Ping's echo check still sees the cleared reply, so the link reads as down.
    EXPECT_EQ(comm.m_nLastResult, 0u);

    BYTE request[6] = {};
    BYTE reply[6] = {};
    comm.m_nLastResult = 7;
    EXPECT_FALSE(comm.Transact(request, 0, reply, 0, 0));
    EXPECT_EQ(comm.m_nLastResult, 7u);
}

TEST(CommFramingLostDevice, ExchangeEndsAtTheFirstReadOfADeviceThatWentAway) {
    // A port whose device is gone: every read fails at once, as an unplugged
    // adapter's or a dropped network connection's does.
    class LostPort : public ScriptedPort {
    public:
        int reads = 0;
        plat::BOOL ReadByte(plat::BYTE*) override {
            ++reads;
            plat::SetLastError(plat::ERROR_DEVICE_NOT_CONNECTED);
            return plat::FALSE;
        }
    };
    LostPort port;
    CVX18D3_Comm comm{&port};
    comm.m_nTimeout = 500;
    comm.m_nLastResult = 1;
    EXPECT_FALSE(comm.Ping(0));
    EXPECT_EQ(port.reads, 1); // not read on until the reply time-out
    EXPECT_EQ(comm.m_nLastResult, 0u);
    EXPECT_EQ(port.written.size(), 1u);
}

TEST_F(CommFramingTest, TransactLongWaitsTenTimesLonger) {
    comm.m_nTimeout = 10;
    BYTE request[14] = {0, 0, 0x00, 0x10};
    BYTE reply[6] = {};
    auto start = plat::TickMs();
    EXPECT_FALSE(comm.TransactLong(request, 8, reply, 0, 0));
    EXPECT_GE(plat::TickMs() - start, 100);
    EXPECT_EQ(port.written[0].size(), 14u);
    EXPECT_EQ(port.written[0][4], 8);
}

TEST_F(CommFramingTest, TraceGoesToTheWindowOnlyWhenAskedAndInstalled) {
    RecordingWindow window;
    port.onWrite = [](const Bytes&, ScriptedPort& p) { p.Queue({0x27, 0, 0, 0, 0, 0}); };

    comm.Ping(1); // no window: nothing to send to
    comm.m_hTraceWnd = &window;
    comm.Ping(0); // window, but no trace asked
    EXPECT_TRUE(window.messages.empty());

    comm.Ping(1);
    ASSERT_EQ(window.messages.size(), 12u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(window.messages[i].message, WM_TRACE_REQUEST_BYTE);
        EXPECT_EQ(window.messages[i].wParam, plat::WPARAM(i));
        EXPECT_EQ(window.messages[6 + i].message, WM_TRACE_REPLY_BYTE);
        EXPECT_EQ(window.messages[6 + i].wParam, plat::WPARAM(i));
    }
    EXPECT_EQ(window.messages[0].lParam, 0x27);

    comm.MarkTraceBreak();
    EXPECT_EQ(window.messages.back(), (TraceMessage{WM_TRACE_BREAK, 0, 0}));
}

TEST_F(CommFramingTest, ReplyCutOffByTheDeadlineDecodesAsZeros) {
    // Commands that decode their reply whatever the result must not take
    // the bytes of a reply that stopped half-way.
    port.onWrite = [](const Bytes&, ScriptedPort& p) {
        p.Queue({0x27, 0, 0x01, 0x10, 0x04, 0x00, 0x68, 0x00, 0x37});
    };
    comm.m_nAmGain[0] = 12;
    EXPECT_FALSE(comm.SetAmGain(0, 55, 0));
    EXPECT_EQ(comm.m_nAmGain[0], 0);

    port.onWrite = [](const Bytes&, ScriptedPort& p) {
        p.Queue({0x27, 0, 0x01, 0x10, 0x04, 0x00, 0x70, 0xA6, 0x0A});
    };
    EXPECT_FALSE(comm.SetDagcLowerDbm(0, -90, 0));
    EXPECT_EQ(comm.m_nDagcLowerDbm[0], 0);
    EXPECT_EQ(comm.m_nDagcUpperDbm[0], 0);
    EXPECT_EQ(comm.m_nDagcRangeIndex[0], 0); // code 0: row 0, as after a silent unit
}
