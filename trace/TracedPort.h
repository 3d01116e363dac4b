// The port as the protocol object sees it when its traffic is watched: the
// serial port, tapped for the byte trace (vx18dctl --trace, the window
// program's traffic log), with a count of the exchanges the unit left
// unanswered (the protocol object's operations that return nothing cannot
// tell), and vx18dctl's stop request of Ctrl-C. Once a stop has been
// asked for, nothing more is written to the unit: the exchange under way
// ends, the next one fails at once, and the command stops at its next check.
#pragma once

#include "serial/CBaseClass.h"
#include "trace/TrafficSink.h"

#include <atomic>

namespace vx {

class TracedPort : public CBaseClass {
public:
    // trace may be null (no trace); stop may be null (never stops).
    TracedPort(CBaseClass& port, TrafficSink* trace, const std::atomic<bool>* stop);

    int GetPortKind() override { return m_port.GetPortKind(); }
    SerialPortSettings* GetSettings() override { return m_port.GetSettings(); }
    plat::WORD FlushInput() override { return m_port.FlushInput(); }
    plat::BOOL WriteByte(plat::BYTE value) override;
    plat::BOOL Write(const plat::BYTE* data, int length) override;
    plat::BOOL ReadByte(plat::BYTE* out) override;
    int ReservedFirst() override { return m_port.ReservedFirst(); }
    std::uint64_t ReservedSecond() override { return m_port.ReservedSecond(); }
    const char* GetAddress() override { return m_port.GetAddress(); }
    int ReservedThird() override { return m_port.ReservedThird(); }
    void Close() override { m_port.Close(); }
    plat::BOOL Open() override { return m_port.Open(); }
    plat::BOOL Configure(plat::DWORD baud, plat::BYTE byteSize, plat::BYTE parity,
                         plat::BYTE stopBits) override {
        return m_port.Configure(baud, byteSize, parity, stopBits);
    }
    plat::BOOL ApplySettings() override { return m_port.ApplySettings(); }
    plat::BOOL SetTimeouts(plat::DWORD readInterval, plat::DWORD readTotalMultiplier,
                           plat::DWORD readTotalConstant, plat::DWORD writeTotalMultiplier,
                           plat::DWORD writeTotalConstant) override {
        return m_port.SetTimeouts(readInterval, readTotalMultiplier, readTotalConstant,
                                  writeTotalMultiplier, writeTotalConstant);
    }
    plat::BOOL IsReady() override { return m_port.IsReady(); }
    plat::DWORD DiscardPendingInput() override;

    // Requests written (each try counts), and those whose reply did not come
    // in full before the next request (or has not come yet); a try whose
    // request is sent again counts only when the last try goes unanswered too.
    std::uint64_t Exchanges() const { return m_exchanges; }
    std::uint64_t Unanswered() const { return m_unanswered + (Pending() ? 1 : 0); }
    // Requests sent again because the try before went unanswered.
    std::uint64_t Repeats() const { return m_repeats; }
    // Requests answered in full before the first one that was not.
    std::uint64_t AnsweredBeforeSilence() const { return m_answeredBeforeSilence; }

    // The next request repeats the last one, whose reply did not come: that
    // silence is no failure (yet), and the repeat goes out even while
    // GiveUpAfterSilence is on. False when no repeat will go out (the last
    // request was answered, or the port gave up earlier).
    bool RepeatNextRequest();

    // While on, once a request went unanswered no further request is sent:
    // a read-out that the unit stopped answering fails at once instead of
    // waiting out the reply time-out of every request left.
    void GiveUpAfterSilence(bool on) { m_giveUp = on; }

private:
    bool Pending() const { return m_exchanges > 0 && m_received < m_expected; }
    bool Stopped() const { return m_stop && m_stop->load(); }

    CBaseClass& m_port;
    TrafficSink* m_trace;
    const std::atomic<bool>* m_stop;
    std::uint64_t m_exchanges = 0;
    std::uint64_t m_unanswered = 0;
    std::size_t m_expected = 0;
    std::size_t m_received = 0;
    std::uint64_t m_answeredBeforeSilence = 0;
    bool m_giveUp = false;
    bool m_repeatNext = false;
    std::uint64_t m_repeats = 0;
};

} // namespace vx
