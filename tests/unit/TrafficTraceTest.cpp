// The lines of the traffic as both front ends print them: the protocol
// object's exchanges through the port tap, turned into lines with the
// packets in words, failures and breaks; and the window program's traffic
// log, which keeps lines only for a listener and holds at most its capacity.
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"
#include "trace/ExchangeTrace.h"
#include "trace/MonitorWindow.h"
#include "trace/PacketText.h"
#include "trace/TracedPort.h"
#include "trace/TrafficLine.h"
#include "trace/TrafficLog.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vx;
using vxtest::Bytes;
using vxtest::ScriptedPort;

namespace {

// The protocol object over the tap over a scripted unit, printing its trace
// as vx18dctl does, with a clock that moves only when the unit answers:
// each answer takes 1.5 ms.
class TracedLink {
public:
    std::int64_t nowUs = 0;
    std::ostringstream text;
    std::ostringstream err;
    ScriptedPort unit;
    ExchangeTrace trace{text, [this] { return nowUs; }};
    TracedPort tap{unit, &trace, nullptr};
    MonitorWindow monitor{&trace, err};
    CVX18D3_Comm comm{&tap};

    TracedLink() {
        comm.m_nTimeout = 20;
        comm.m_hTraceWnd = &monitor;
    }
    // Answers each request with these bytes (none: no answer).
    void Answer(const Bytes& reply) {
        unit.onWrite = [this, reply](const Bytes&, ScriptedPort& port) {
            nowUs += 1500;
            port.Queue(reply);
        };
    }
    std::vector<std::string> Lines() {
        trace.Flush();
        std::vector<std::string> lines;
        std::istringstream in(text.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

Bytes Header(std::uint8_t type1, std::uint8_t type2, std::uint8_t length = 0) {
    return {0x27, 0x00, type1, type2, length, 0x00};
}

Bytes Concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// One exchange reported straight to a sink: the request, then the reply.
void Exchange(TrafficSink& sink, const Bytes& request, const Bytes& reply) {
    sink.Request(request.data(), request.size());
    for (std::uint8_t byte : reply)
        sink.ReplyByte(byte);
}

TrafficEntry Answered(const Bytes& request, const Bytes& reply = {}) {
    TrafficEntry entry;
    entry.request = request;
    entry.reply = reply;
    entry.outcome =
        reply.empty() ? TrafficEntry::Outcome::noReply : TrafficEntry::Outcome::complete;
    return entry;
}

Bytes ShortRequest(std::uint8_t command, std::uint8_t a1, std::uint8_t a2 = 0,
                   std::uint8_t a3 = 0) {
    return {0x27, 0x00, 0x01, 0x10, 0x04, 0x00, command, a1, a2, a3};
}

} // namespace

TEST(TrafficTrace, StartUpActionFailuresAndFirmwareBlocksAsLines) {
    TracedLink link;
    // Start-up: the link test and one register read.
    link.Answer(Header(0, 0));
    link.comm.Ping(0);
    link.unit.onWrite = [&](const Bytes& packet, ScriptedPort& port) {
        link.nowUs += 1500;
        port.Queue(vxtest::ShortReply(packet[6], packet[7], packet[7] == 0x74 ? 0x12 : 0, 0));
    };
    EXPECT_EQ(link.comm.ReadRegister(0, 0, 52, 0), 0x12);
    link.comm.MarkTraceBreak();

    // A page action on the second receiver: its configuration word and AM
    // gain, then its break (a second break in a row adds nothing).
    link.Answer(Header(0x00, 0x10));
    link.comm.SetTuningFrequency(1, 2'312'500'000, 0);
    link.Answer(vxtest::ShortReply(0x69, 0x03, 40, 0));
    link.comm.SetAmGain(1, 40, 0);
    link.comm.MarkTraceBreak();
    link.comm.MarkTraceBreak();

    // Failures: no reply, a reply cut short, a reply with two bytes too many
    // (the next exchange finds them waiting), a request the port refuses.
    StatusReading status;
    link.Answer({});
    EXPECT_FALSE(link.comm.GetReceiverStatus(status, 0));
    link.Answer({0x27, 0x00, 0x01});
    DWORD frequency = 0;
    EXPECT_FALSE(link.comm.GetAmCounterFrequency(0, &frequency, 0));
    link.Answer(Concat(Header(0x00, 0x20, 9), {0xC0, 1, 2, 3, 4, 5, 6, 7, 8, 0xEE, 0xEE}));
    EXPECT_TRUE(link.comm.GetReceiverStatus(status, 0));
    link.Answer(Header(0, 0));
    link.comm.Ping(0);
    link.unit.failWrites = true;
    link.comm.Ping(0);
    link.unit.failWrites = false;

    // Firmware: two blocks and the commit; the next transfer counts from 1 again.
    link.Answer(Header(0x20, 0x10));
    const Bytes block(128, 0xA5);
    EXPECT_TRUE(link.comm.SendFlashBlock(block.data(), 128));
    EXPECT_TRUE(link.comm.SendFlashBlock(block.data(), 3));
    link.Answer(vxtest::ShortReply(0x98, 0xFF, 0, 0));
    EXPECT_TRUE(link.comm.CommitFlashImage());
    link.Answer(Header(0x20, 0x10));
    EXPECT_TRUE(link.comm.SendFlashBlock(block.data(), 5));

    const std::vector<std::string> lines = link.Lines();
    ASSERT_EQ(lines.size(), 16u) << link.text.str();
    const std::vector<std::string> expected = {
        "       0.0 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 1.5 ms | link test",
        "       1.5 | 27 00 01 10 04 00 10 00 00 00 | 27 00 01 10 04 00 10 00 00 00 | 1.5 ms | "
        "register rx1: select page 0",
        "       3.0 | 27 00 01 10 04 00 10 74 00 00 | 27 00 01 10 04 00 10 74 12 00 | 1.5 ms | "
        "register rx1: read 52 = 0x0012",
        "       4.5 | -- end of action --",
        "       4.5 | 27 00 00 10 08 00 01 00 80 00 1F 32 08 09 | 27 00 00 10 00 00 | 1.5 ms | "
        "configuration word rx2: 2312.50 MHz, setup 0, band 0, IF bw #0, video #0, "
        "AM filter #31, AGC tc #0, IF out hardware",
        "       6.0 | 27 00 01 10 04 00 69 03 28 00 | 27 00 01 10 04 00 69 03 28 00 | 1.5 ms | "
        "AM gain rx2: set 40 = 40",
        "       7.5 | -- end of action --",
        "       7.5 | 27 00 00 20 00 00 | - | 1.5 ms | status poll | NO REPLY",
        "       9.0 | 27 00 01 10 04 00 38 00 00 00 | 27 00 01 | 1.5 ms | AM counter rx1 | "
        "SHORT REPLY: 3 of 10 bytes",
        "      10.5 | 27 00 00 20 00 00 | 27 00 00 20 09 00 C0 01 02 03 04 05 06 07 08 | 1.5 ms | "
        "status poll",
        "      12.0 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 1.5 ms | link test | "
        "2 stale bytes discarded before it",
        "      13.5 | 27 00 00 00 00 00 | - | 0.0 ms | link test | NOT WRITTEN",
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i;

    // Each block's bytes stand whole on its line.
    std::string blockHex = "27 00 20 10 80 00";
    for (int i = 0; i < 128; ++i)
        blockHex += " A5";
    EXPECT_EQ(lines[12], "      13.5 | " + blockHex +
                             " | 27 00 20 10 00 00 | 1.5 ms | firmware block 1, 128 bytes");
    EXPECT_EQ(lines[13], "      15.0 | 27 00 20 10 03 00 A5 A5 A5 | 27 00 20 10 00 00 | 1.5 ms | "
                         "firmware block 2, 3 bytes");
    EXPECT_EQ(lines[14],
              "      16.5 | 27 00 01 10 04 00 98 FF 00 00 | 27 00 01 10 04 00 98 FF 00 00 "
              "| 1.5 ms | firmware commit rx1");
    EXPECT_NE(lines[15].find("| firmware block 1, 5 bytes"), std::string::npos) << lines[15];
    EXPECT_EQ(link.err.str(), "");
}

TEST(TrafficTrace, PacketsInWords) {
    const Bytes word = {0x27, 0, 0x00, 0x10, 8, 0, 0x7F, 0x85, 0xDB, 0x7A, 0x9F, 5, 0xA9, 0x05};
    const struct {
        TrafficEntry exchange;
        std::string text;
    } cases[] = {
        {Answered(word), "configuration word rx2: 1449.05 MHz, setup 15, band 1, IF bw #7, "
                         "video #2, AM filter #31, AGC tc #3, IF out hardware; on: FM inverted, "
                         "XDOUT, AGC freeze, AGC zero, TLM2 de-emphasis, AM inverted, "
                         "internal reference, LED 0, LED 2"},
        {Answered(ShortRequest(0x10, 0x89, 0x34, 0x12)), "register rx1: write 9 = 0x1234"},
        {Answered(ShortRequest(0x11, 0x20)), "register rx2: select page 32"},
        {Answered(ShortRequest(0x71, 0x92, 0x0A)), "DAGC limits rx2: -110 to 10 dBm"},
        {Answered(ShortRequest(0x78, 0xD8, 0x19)), "DAGC voltages rx1: -4.0 to 2.5 V"},
        {Answered(ShortRequest(0xC1, 0x05, 0xCA, 0x00)),
         "attenuators rx2: DC1 code 5, DC2 code 10 frozen (set), at boot off"},
        {Answered(ShortRequest(0xC0, 0x00, 0x00, 0x03)),
         "attenuators rx1: DC1 code 0, DC2 code 0, at boot on (set)"},
        {Answered(ShortRequest(0xF8, 0x00, 0x80, 0x04)), "boot serial rx1: baud rate 115200"},
        {Answered(ShortRequest(0xF8, 0x05, 0x01)), "boot serial rx1: serial type RS422"},
        {Answered(ShortRequest(0x48, 0x80, 0xA0, 0x11)),
         "unit status rx1: write switch word 0xA011"},
        {Answered(ShortRequest(0x01, 20, 3)), "unit command rx2: linearise band 3"},
        {Answered(ShortRequest(0xC8, 0x01), ShortRequest(0xC8, 0x01, 0xF8, 0xFF)),
         "history rx1: item 1 (temperature) = -8"},
        {Answered(ShortRequest(0x39, 0), ShortRequest(0x39, 0x40, 0xE2, 0x01)),
         "AM counter rx2: 123456 Hz"},
        {Answered(ShortRequest(0xE8, 1, 2, 3)), "command 0xE8 rx1: arguments 1 2 3"},
        {Answered({0x27, 0, 0x03, 0x04, 0, 0}), "packet type 03 04, 6 bytes"},
        {Answered({0x27, 0}), "2 bytes, no packet header"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribePacket(c.exchange), c.text);

    // The status worker's traffic is the status poll and the AM counter query.
    EXPECT_TRUE(IsPollTraffic(Answered({0x27, 0, 0x00, 0x20, 0, 0})));
    EXPECT_TRUE(IsPollTraffic(Answered(ShortRequest(0x39, 0))));
    EXPECT_FALSE(IsPollTraffic(Answered(ShortRequest(0x48, 0))));
    EXPECT_EQ(MillisecondsText(1'234'567'849), "1234567.8");
    EXPECT_EQ(MillisecondsText(-50), "-0.1");
}

TEST(TrafficTrace, LogKeepsLinesOnlyForAListenerAndAtMostItsCapacity) {
    TrafficLog log(nullptr, [] { return std::int64_t{0}; });
    const Bytes ping = Header(0, 0);
    Exchange(log, ping, ping);
    log.Break();
    EXPECT_EQ(log.NextSequence(), 0u); // nobody listens: nothing kept

    log.Listen(true);
    EXPECT_TRUE(log.Listening());
    for (std::size_t i = 0; i < TrafficLog::kCapacity + 50; ++i)
        Exchange(log, ping, ping);
    log.Break(); // breaks take room in the ring but are not counted as exchanges
    TrafficLog::Held held = log.Since(0);
    ASSERT_EQ(held.entries.size(), TrafficLog::kCapacity);
    EXPECT_EQ(held.fellOut, 51u);
    EXPECT_EQ(held.firstHeld, 51u);
    EXPECT_EQ(held.entries.back()->kind, TrafficEntry::Kind::actionBreak);
    EXPECT_EQ(held.entries.back()->sequence, TrafficLog::kCapacity + 50);
    EXPECT_EQ(log.Since(TrafficLog::kCapacity + 50).entries.size(), 1u);

    // Cleared, it starts again; when listening resumes over lines kept before,
    // a note marks the gap.
    log.Clear();
    held = log.Since(0);
    EXPECT_TRUE(held.entries.empty());
    EXPECT_EQ(held.fellOut, 0u);
    Exchange(log, ping, ping);
    log.Listen(false);
    EXPECT_FALSE(log.Listening());
    Exchange(log, ping, ping);
    log.Listen(true);
    held = log.Since(0);
    ASSERT_EQ(held.entries.size(), 2u);
    EXPECT_EQ(held.entries[1]->kind, TrafficEntry::Kind::note);
}

TEST(TrafficTrace, TraceFileGetsEveryLineWhetherTheMonitorListensOrNot) {
    std::ostringstream file;
    {
        TrafficLog log(&file, [] { return std::int64_t{0}; });
        Exchange(log, Header(0, 0), Header(0, 0));
        log.Break();
        log.SendMessage(WM_REGISTRY_ERROR, 5, 0); // the stored sample rate could not be read
        EXPECT_TRUE(log.Since(0).entries.empty());
        log.Request(Header(0, 0x20).data(), 6); // never answered: written at the end
    }
    std::istringstream in(file.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << file.str();
    EXPECT_EQ(lines[0], "       0.0 | 27 00 00 00 00 00 | 27 00 00 00 00 00 | 0.0 ms | link test");
    EXPECT_EQ(lines[1], "       0.0 | -- end of action --");
    EXPECT_EQ(lines[2].rfind("       0.0 | settings store: Operation returned:5, Meaning: ", 0), 0u)
        << lines[2];
    EXPECT_EQ(lines[3], "       0.0 | 27 00 00 20 00 00 | - | 0.0 ms | status poll | NO REPLY");
}
