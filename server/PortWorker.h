// The port thread: the only code that talks to the unit. It takes the
// queue's exchanges one at a time and makes each whole: the request
// written, the complete reply read by the same framing, the result handed
// back. Around that it keeps what the unit remembers between exchanges
// whole for every client:
//
// - Register pages. The unit keeps one selected page per receiver. The
//   thread remembers the page each client last selected on each receiver
//   and the page the unit has now; a client's register read or write that
//   would reach the unit on another page is preceded by that client's page
//   selection again (whose reply goes to nobody).
// - Firmware loads. From a client's first firmware block until the hold
//   after its commit (the unit programs its flash meanwhile), nothing of any
//   other client reaches the unit. A load ends early when its client goes
//   away before the commit or leaves too long a gap between its blocks.
// - Step with the unit. A reply that did not come in time may still come,
//   and must not be read as the answer to the next request. After a time-out
//   the thread sends link tests before anything else until the unit has
//   echoed every one of them: it answers in order, so whatever comes before
//   the last echo is stale. Echoes that never come (a unit that lost the
//   request) are given up once the unit has echoed one and then stayed
//   quiet for a whole reply time-out.
//
// When the line fails the thread closes it and opens it again every
// reopen interval; exchanges meanwhile are not sent.
#pragma once

#include "server/ExchangeObserver.h"
#include "server/ExchangeQueue.h"
#include "server/ServerLog.h"
#include "server/UnitLink.h"

#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace vx::server {

struct UnitTimings {
    std::chrono::milliseconds replyTimeout{1000};
    std::chrono::milliseconds reopenInterval{1000};
    // A firmware load ends when its client leaves this long between blocks.
    std::chrono::milliseconds blockGap{10000};
    // Nothing of another client reaches the unit this long after a commit.
    std::chrono::milliseconds programmingHold{65000};
};

class PortWorker {
public:
    using Clock = std::chrono::steady_clock;

    // The observer (none, or one that outlives the worker) hears of every
    // exchange finished.
    PortWorker(UnitLink& link, ExchangeQueue& queue, ServerLog& log, UnitTimings timings,
               ExchangeObserver* observer = nullptr);
    ~PortWorker();
    PortWorker(const PortWorker&) = delete;
    PortWorker& operator=(const PortWorker&) = delete;

    void Start();
    // Lets the exchange under way complete, finishes what waits as not
    // sent, releases the line and joins the thread.
    void Stop();

    // The line is open (any thread).
    bool LineOpen() const { return m_lineOpen; }

private:
    enum class Outcome { Answered, NoAnswer, LineFailed };

    struct FirmwareHold {
        ClientId owner = 0;
        bool committed = false;
        Clock::time_point until;
    };

    void Run();
    void TryOpen();
    void Serve(ExchangeQueue::Job& job);
    // Hands the result to the job's client and tells the observer.
    void Complete(const ExchangeQueue::Job& job, ExchangeResult result,
                  ExchangeObserver::Seconds took = {});
    // False when the job may not reach the unit because of another client's firmware load.
    bool AdmitDuringFirmwareLoad(const ExchangeQueue::Job& job);
    void NoteFirmwareTraffic(const ExchangeQueue::Job& job);
    // Selects the client's page again where the unit has another; false when that failed.
    bool RestorePage(const ExchangeQueue::Job& job, int receiver);
    Outcome Transact(const Request& request, Bytes& reply);
    Outcome Exchange(const Request& request, Bytes& reply);
    Outcome Resynchronise();
    Outcome ReadReply(Bytes& reply, std::size_t length, Clock::time_point deadline);
    void LineFailed();
    void ProbeIdleLine();
    void ForgetUnitPages() { m_unitPage.fill(std::nullopt); }

    UnitLink& m_link;
    ExchangeQueue& m_queue;
    ServerLog& m_log;
    const UnitTimings m_timings;
    ExchangeObserver* m_observer;
    std::thread m_thread;
    std::atomic<bool> m_lineOpen{false};

    // Port thread only.
    std::array<std::optional<std::uint8_t>, 2> m_unitPage;
    std::optional<FirmwareHold> m_hold;
    bool m_outOfStep = false;
    int m_echoesOwed = 0;      // link tests sent to get back in step, not yet echoed
    bool m_unitSilent = false; // logged that the unit stopped answering
    std::string m_openFailure; // the last reason logged for a failed open
    bool m_everOpen = false;
    Clock::time_point m_nextOpen;
};

} // namespace vx::server
