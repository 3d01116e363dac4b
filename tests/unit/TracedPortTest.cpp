// vx18dctl's view of the line: the exchanges the unit left unanswered, with a
// request sent again counted against the unit only when it fails too, and
// what the byte trace says about it.
#include "trace/TracedPort.h"
#include "protocol/CVX18D3_Comm.h"
#include "support/TestSupport.h"
#include "trace/ExchangeTrace.h"
#include "trace/MonitorWindow.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace vx;
using vxtest::Bytes;
using vxtest::ScriptedPort;

TEST(TracedPort, ARequestAnsweredAtTheSecondTryIsNoSilence) {
    ScriptedPort line;
    std::ostringstream traceText;
    std::ostringstream err;
    ExchangeTrace trace(traceText);
    TracedPort port(line, &trace, nullptr);
    MonitorWindow monitor(&trace, err, &port);
    CVX18D3_Comm comm(&port);
    comm.m_hTraceWnd = &monitor;
    comm.m_nTimeout = 20;
    comm.m_nRetries = 1;
    port.GiveUpAfterSilence(true);

    // Writes 1, 5 and 6 go unanswered: the first read needs its second try,
    // the third read gets no answer at all.
    const std::set<std::size_t> silent{1, 5, 6};
    line.onWrite = [&](const Bytes& p, ScriptedPort& l) {
        if (!silent.contains(l.written.size()))
            l.Queue(vxtest::ShortReply(p[6], p[7], static_cast<std::uint8_t>(p[8] | 0x40), 0));
    };
    EXPECT_EQ(comm.ReadAmFilterEntry(0, 1, 0), 0x41);
    EXPECT_EQ(port.Unanswered(), 0u);
    EXPECT_EQ(port.Repeats(), 1u);
    EXPECT_EQ(comm.ReadRegister(0, 0, 2, 0), 0x40); // two exchanges, both answered at once
    EXPECT_EQ(port.Unanswered(), 0u);

    EXPECT_EQ(comm.ReadAmFilterEntry(0, 3, 0), 0);
    EXPECT_EQ(port.Unanswered(), 1u);
    EXPECT_EQ(port.Repeats(), 2u);
    // Silence, then no further request goes out.
    EXPECT_EQ(comm.ReadAmFilterEntry(0, 4, 0), 0);
    EXPECT_EQ(line.written.size(), 6u);
    EXPECT_EQ(port.AnsweredBeforeSilence(), 3u);

    trace.Flush();
    const std::string text = traceText.str();
    std::size_t notes = 0;
    for (std::size_t at = 0;
         (at = text.find("| no complete reply: the request goes out again (try 2)", at)) !=
         std::string::npos;
         ++at)
        ++notes;
    EXPECT_EQ(notes, 2u) << text;
    // The note follows the try that timed out.
    EXPECT_LT(text.find("| NO REPLY"), text.find("| no complete reply"));
}
