#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/FirmwareImageText.h"
#include "cli/JsonOutput.h"
#include "cli/Pacer.h"
#include "cli/ProgressLine.h"
#include "cli/ReceiverActions.h"
#include "cli/StopSignal.h"
#include "cli/TextOutput.h"
#include "cli/UnitActions.h"
#include "files/RecordFile.h"
#include "platform/ConfigPaths.h"
#include "platform/Files.h"
#include "text/StatusFormat.h"
#include "unit/ConfigurationCache.h"
#include "unit/Readouts.h"
#include "unit/StatusPoll.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace vx::cli {
namespace {

using Command = Invocation::Command;

constexpr unsigned kDefaultSamplesPerSecond = 10;
constexpr unsigned kHighestSamplesPerSecond = 10;

class CommandRunner {
public:
    CommandRunner(const Invocation& invocation, Console& console, Output& output)
        : m_inv(invocation), m_console(console), m_output(output) {}

    int Run();

private:
    int Ping();
    int Info();
    int Status();
    int Get();
    int Set(std::vector<ReceiverAction> actions);
    int Unit(std::vector<UnitAction> actions);
    int Record();
    int Flash(const FirmwareImage& image);

    void Open();
    // The link test; then the reads begin.
    void RequireLink();
    // While the unit is read before anything is done, a request without a
    // reply is sent once more, and a second silence ends the reads at once.
    void Reading(bool on);
    // The main window's start-up read-out, its fixed tables from the
    // configuration cache when it holds this unit's.
    void StartUp(CVX18D3_Comm& comm);
    // Every exchange so far was answered in full; otherwise the unit failed.
    void RequireAnswers(const char* what);
    unsigned RequireFittedReceiver();
    // The unit's firmware reports a receiver's settings.
    void RequireReadBack(bool readBack);
    // The window as it stands once the receiver's page is open: the start-up
    // read-out and the page's read-back. The receiver asked for.
    unsigned OpenReceiverPage(CVX18D3_Comm& comm);
    unsigned SampleRate();
    // record's FILE does not exist yet, or --force allows replacing it.
    void RequireNewRecordFile() const;
    // The start of status and record: the link, and the calibration the display needs.
    CVX18D3_Comm& ReadCalibration();
    // Sends each setting in turn until a stop is asked for; what was applied.
    template <class Action, class Apply>
    std::vector<AppliedSetting> ApplyInOrder(const std::vector<Action>& actions, Apply apply);
    // The exit status once the settings went out.
    int SettingsOutcome(const std::vector<AppliedSetting>& applied, std::size_t asked);

    const Invocation& m_inv;
    Console& m_console;
    Output& m_output;
    std::unique_ptr<ExchangeTrace> m_trace;
    std::unique_ptr<LinkSession> m_link;
};

void CommandRunner::Open() {
    LinkSettings settings;
    try {
        settings = ResolveLinkSettings(m_inv.link, [this](const std::string& warning) {
            m_console.err << "vx18dctl: warning: " << warning << '\n';
        });
    } catch (const BadPortName& e) {
        throw UsageError(e.what());
    } catch (const BadSettingsFile& e) {
        throw UsageError(e.what());
    }
    if (m_inv.trace)
        m_trace = std::make_unique<ExchangeTrace>(m_console.err);
    m_link = std::make_unique<LinkSession>(settings, m_trace.get(), &StopFlag(), m_console.err);
}

void CommandRunner::RequireLink() {
    if (!m_link->LinkTest())
        throw UnitError("the unit did not answer the link test on " + m_link->Settings().port);
    Reading(true);
}

void CommandRunner::Reading(bool on) {
    m_link->Port().GiveUpAfterSilence(on);
    m_link->Comm().m_nRetries = on ? 1 : 0;
}

void CommandRunner::StartUp(CVX18D3_Comm& comm) {
    CacheUse use;
    use.folder = plat::CacheDir();
    use.read = !m_inv.noCache;
    use.readOutClean = [this] {
        const TracedPort& port = m_link->Port();
        return port.Unanswered() == 0 && port.Repeats() == 0;
    };
    if (m_trace)
        use.note = [this](const std::string& line) { m_trace->Note(line); };
    StartUpReadoutWithCache(comm, use);
}

void CommandRunner::RequireAnswers(const char* what) {
    const TracedPort& port = m_link->Port();
    if (port.Unanswered() != 0) {
        throw UnitError("the unit stopped answering while " + std::string(what) + " (after " +
                        std::to_string(port.AnsweredBeforeSilence()) + " answered exchanges)");
    }
}

unsigned CommandRunner::RequireFittedReceiver() {
    const unsigned rx = m_inv.receiver - 1;
    if (!ReceiverFitted(m_link->Comm(), rx)) {
        const unsigned other = 1 - rx;
        throw UsageError(
            "receiver " + std::to_string(m_inv.receiver) + ": not fitted in this unit" +
            (ReceiverFitted(m_link->Comm(), other) ? " (fitted: " + std::to_string(other + 1) + ")"
                                                   : " (no receiver reports bands)"));
    }
    return rx;
}

void CommandRunner::RequireReadBack(bool readBack) {
    if (!readBack)
        throw UnitError("the unit's firmware (" +
                        FirmwareDateText(m_link->Comm().m_dwFirmwareDate) +
                        ") does not report a receiver's settings, so nothing is changed");
}

unsigned CommandRunner::OpenReceiverPage(CVX18D3_Comm& comm) {
    StartUp(comm);
    RequireAnswers("reading the unit's configuration");
    const unsigned rx = RequireFittedReceiver();
    RequireReadBack(SetupPageReadback(comm, rx));
    return rx;
}

void CommandRunner::RequireNewRecordFile() const {
    if (m_inv.force || !plat::PathExists(m_inv.file))
        return;
    throw UsageError(m_inv.file + ": the file exists; give --force to record over it");
}

unsigned CommandRunner::SampleRate() {
    if (m_inv.rate)
        return *m_inv.rate;
    // The rate the window's spin control stored; one it cannot have set counts as the default.
    const unsigned stored = m_link->Comm().LoadStatusSampleRate();
    return stored >= 1 && stored <= kHighestSamplesPerSecond ? stored : kDefaultSamplesPerSecond;
}

CVX18D3_Comm& CommandRunner::ReadCalibration() {
    RequireLink();
    CVX18D3_Comm& comm = m_link->Comm();
    StartUp(comm);
    // The RSSI goes through the calibration of the band the receiver is tuned in.
    TuningReadback(comm);
    RequireAnswers("reading the unit's calibration");
    Reading(false); // a missed poll is tried again next time
    return comm;
}

template <class Action, class Apply>
std::vector<AppliedSetting> CommandRunner::ApplyInOrder(const std::vector<Action>& actions,
                                                        Apply apply) {
    Reading(false); // each setting is sent once, tried and reported
    std::vector<AppliedSetting> applied;
    for (const Action& action : actions) {
        if (StopRequested())
            break;
        applied.push_back({action.text, apply(action)});
    }
    return applied;
}

int CommandRunner::SettingsOutcome(const std::vector<AppliedSetting>& applied, std::size_t asked) {
    if (applied.size() < asked) {
        m_console.err << "vx18dctl: stopped by Ctrl-C after " << applied.size() << " of " << asked
                      << " settings\n";
        return kExitInterrupted;
    }
    for (const AppliedSetting& setting : applied) {
        if (!setting.ok) {
            m_console.err << "vx18dctl: the unit did not answer every exchange of the settings "
                             "marked FAILED\n";
            return kExitUnitFailed;
        }
    }
    return kExitSuccess;
}

int CommandRunner::Run() {
    // Everything that can be checked without the unit is checked first.
    std::vector<ReceiverAction> receiverActions;
    std::vector<UnitAction> unitActions;
    FirmwareImage image;
    if (m_inv.command == Command::Set) {
        for (const std::string& setting : m_inv.settings)
            receiverActions.push_back(ParseReceiverSetting(setting));
    } else if (m_inv.command == Command::Unit) {
        for (const std::string& setting : m_inv.settings)
            unitActions.push_back(ParseUnitSetting(setting));
    } else if (m_inv.command == Command::Record) {
        RequireNewRecordFile();
    } else if (m_inv.command == Command::Flash) {
        image = FirmwareLoader::ReadImage(m_inv.file);
        if (!image.outcome.Succeeded())
            throw UsageError(FirmwareImageProblem(m_inv.file, image.outcome));
    }

    Open();
    switch (m_inv.command) {
    case Command::Ping:
        return Ping();
    case Command::Info:
        return Info();
    case Command::Status:
        return Status();
    case Command::Get:
        return Get();
    case Command::Set:
        return Set(std::move(receiverActions));
    case Command::Unit:
        return Unit(std::move(unitActions));
    case Command::Record:
        return Record();
    case Command::Flash:
        return Flash(image);
    }
    return kExitUsage;
}

int CommandRunner::Ping() {
    const bool online = m_link->LinkTest();
    m_output.Ping(m_link->Settings().port, online);
    return online ? kExitSuccess : kExitUnitFailed;
}

int CommandRunner::Info() {
    RequireLink();
    CVX18D3_Comm& comm = m_link->Comm();
    StartUp(comm);
    comm.GetSerialNumberText(0); // the identity, as the reference clock page reads it
    comm.MarkTraceBreak();
    RequireAnswers("reading the unit's configuration");
    m_output.Info(BuildInfo(comm));
    return kExitSuccess;
}

int CommandRunner::Status() {
    CVX18D3_Comm& comm = ReadCalibration();
    const unsigned rate = SampleRate();
    const bool repeat = m_inv.watch || m_inv.count;
    const std::uint64_t samples =
        m_inv.count ? *m_inv.count
                    : (repeat ? std::numeric_limits<std::uint64_t>::max() : std::uint64_t{1});
    Pacer pacer(rate, StopFlag());
    std::uint32_t shown = 0;
    std::uint32_t failed = 0;
    for (std::uint64_t n = 0; n < samples; ++n) {
        if (!pacer.WaitNext())
            break;
        const StatusSample sample = StatusCycle(comm);
        if (StopRequested())
            break; // a poll cut short by Ctrl-C is not a sample
        ++shown;
        if (!sample.ok)
            ++failed;
        m_output.Status(sample, shown, std::chrono::system_clock::now());
    }
    if (shown == 0 && StopRequested())
        return kExitInterrupted;
    if (failed != 0) {
        m_console.err << "vx18dctl: the unit did not answer " << failed << " of " << shown
                      << " status polls\n";
        return kExitUnitFailed;
    }
    return kExitSuccess;
}

int CommandRunner::Get() {
    RequireLink();
    CVX18D3_Comm& comm = m_link->Comm();
    const unsigned rx = OpenReceiverPage(comm);
    RequireAnswers("reading the receiver's settings");
    m_output.ReceiverSettings(BuildReceiverSettings(comm, rx, {}), {});
    return kExitSuccess;
}

int CommandRunner::Set(std::vector<ReceiverAction> actions) {
    RequireLink();
    CVX18D3_Comm& comm = m_link->Comm();
    // The window as the operator finds it: the receiver's page open, and a
    // status poll (the configuration word carries the internal reference and
    // the ID LEDs that the poll reports).
    const unsigned rx = OpenReceiverPage(comm);
    StatusCycle(comm);
    // A cache that missed a reply would send defaults in place of the unit's settings.
    RequireAnswers("reading the receiver's settings");
    for (ReceiverAction& action : actions)
        CheckReceiverAction(action, comm, rx);

    const std::vector<AppliedSetting> applied =
        ApplyInOrder(actions, [&](const ReceiverAction& action) {
            return ApplyReceiverAction(action, comm, rx);
        });
    SentOnly sent;
    for (std::size_t i = 0; i < applied.size(); ++i) {
        sent.setup = sent.setup || actions[i].kind == ReceiverAction::Kind::Setup;
        sent.xdout = sent.xdout || actions[i].kind == ReceiverAction::Kind::Xdout;
    }
    m_output.ReceiverSettings(BuildReceiverSettings(comm, rx, sent), applied);
    return SettingsOutcome(applied, actions.size());
}

int CommandRunner::Unit(std::vector<UnitAction> actions) {
    RequireLink();
    CVX18D3_Comm& comm = m_link->Comm();
    // The window's start with the reference clock page shown: its reads
    // when its tab is selected come after a status poll.
    StartUp(comm);
    WindowPagesReadout(comm);
    StatusCycle(comm);
    RefClkRefreshReads(comm);
    RequireAnswers("reading the unit's settings");
    for (const UnitAction& action : actions)
        CheckUnitAction(action, comm);

    const std::vector<AppliedSetting> applied = ApplyInOrder(
        actions, [&](const UnitAction& action) { return ApplyUnitAction(action, comm); });
    m_output.Unit(BuildUnit(comm), applied);
    return SettingsOutcome(applied, actions.size());
}

int CommandRunner::Record() {
    CVX18D3_Comm& comm = ReadCalibration();
    const unsigned rate = SampleRate();

    RecordFile file;
    FileError error;
    if (!file.Open(m_inv.file, error,
                   m_inv.force ? RecordFile::Existing::replace : RecordFile::Existing::refuse)) {
        if (error.osError == EEXIST)
            RequireNewRecordFile();
        throw UsageError(m_inv.file +
                         ": cannot create the record file: " + FileCauseName(error.cause) + " (" +
                         std::strerror(static_cast<int>(error.osError)) + ")");
    }

    // Samples fall on a grid of 1/rate s from the first one: --duration D
    // takes the samples whose time is below D.
    const std::uint64_t samples =
        m_inv.durationSeconds
            ? static_cast<std::uint64_t>(std::ceil(*m_inv.durationSeconds * rate - 1e-9))
            : std::numeric_limits<std::uint64_t>::max();
    RecordSummary summary;
    summary.file = m_inv.file;
    std::uint32_t lost = 0;
    Pacer pacer(rate, StopFlag());
    for (std::uint64_t n = 0; n < samples; ++n) {
        if (!pacer.WaitNext())
            break;
        const StatusSample sample = StatusCycle(comm);
        if (StopRequested())
            break;
        const std::uint32_t number = summary.samples + 1;
        if (!sample.ok) {
            // As the window: no reading, no line; the number is skipped.
            summary.samples = number;
            ++summary.failedPolls;
            continue;
        }
        const double rssi1 = sample.receivers[0].rssiDbm;
        const double rssi2 = sample.receivers[1].rssiDbm;
        const auto written = file.Append(FormatRecordLine(number, rssi1, rssi2), error);
        if (written != RecordFile::AppendResult::written) {
            // As the window: a line the file did not take is lost and the
            // recording goes on, unless part of it stayed in the file.
            ++lost;
            m_console.err << "vx18dctl: " << m_inv.file << ": sample " << number
                          << " not written: " << FileCauseName(error.cause) << " ("
                          << std::strerror(static_cast<int>(error.osError)) << ")\n";
            if (written == RecordFile::AppendResult::torn) {
                m_console.err << "vx18dctl: " << m_inv.file
                              << ": part of the line could not be removed; recording stopped\n";
                summary.samples = number;
                break;
            }
        }
        summary.samples = number;
        m_output.RecordSample(number, rssi1, rssi2, std::chrono::system_clock::now());
    }
    file.Close();
    summary.interrupted = StopRequested();
    m_output.RecordDone(summary);
    if (summary.failedPolls != 0) {
        m_console.err << "vx18dctl: the unit did not answer " << summary.failedPolls << " of "
                      << summary.samples << " status polls\n";
        return kExitUnitFailed;
    }
    return lost != 0 ? kExitUnitFailed : kExitSuccess;
}

int CommandRunner::Flash(const FirmwareImage& image) {
    RequireLink();
    CVX18D3_Comm& comm = m_link->Comm();
    // What the communications page knows before it offers the load.
    comm.ReadCompanionBoardFlag(0);
    if (!FirmwareLoadAllowed(comm))
        throw UnitError("this unit has the companion board and firmware " +
                        FirmwareDateText(comm.m_dwFirmwareDate) +
                        "; firmware can be loaded into such a unit from firmware " +
                        FirmwareDateText(kFirmwareLoadCompanionDate) + " on");
    RequireAnswers("asking the unit what it is");
    Reading(false); // a refused block ends the transfer by itself; no block goes twice

    // Ctrl-C stops the transfer between blocks (the loader's cancel) and cuts
    // the programming wait short: the unit goes on programming by itself,
    // vx18dctl only stops waiting for it.
    FirmwareLoader::Timing timing = m_console.firmwareTiming;
    const auto sleep = timing.sleep ? timing.sleep : FirmwareLoader::SystemTiming().sleep;
    bool waitCutShort = false;
    timing.sleep = [&](std::uint32_t milliseconds) {
        constexpr std::uint32_t kSlice = 100; // a Ctrl-C is seen within a tenth of a second
        for (std::uint32_t slept = 0; slept < milliseconds; slept += kSlice) {
            if (StopRequested()) {
                waitCutShort = true;
                return;
            }
            sleep(std::min(kSlice, milliseconds - slept));
        }
    };

    ProgressLine progress(m_console.err, m_console.errIsTerminal,
                          static_cast<std::uint32_t>(image.outcome.blocksTotal),
                          image.outcome.fileLength);
    auto show = [&](const FirmwareProgress& state) {
        if (state.phase == FirmwarePhase::Sending && state.blocksSent != 0)
            progress.Update(static_cast<std::uint32_t>(state.blocksSent), state.bytesSent);
        else if (state.phase == FirmwarePhase::Programming && !waitCutShort &&
                 state.waitStepsDone < kProgrammingWaitSteps)
            progress.Programming(
                static_cast<unsigned>(kProgrammingWaitSteps - state.waitStepsDone));
    };
    const FirmwareLoadOutcome outcome = FirmwareLoader(comm, timing).Send(image, show, StopFlag());
    progress.Finish();
    comm.MarkTraceBreak();

    const bool committed = outcome.Succeeded();
    const bool interrupted = outcome.result == FirmwareResult::Cancelled || waitCutShort;
    // Every block was answered, so an exchange left unanswered is the commit's.
    const bool commitAnswered = committed && m_link->Port().Unanswered() == 0;
    const bool done = commitAnswered && !interrupted;

    FlashReport report;
    report.file = m_inv.file;
    report.bytes = outcome.fileLength;
    report.blocks = static_cast<std::uint32_t>(outcome.blocksTotal);
    report.blocksSent = static_cast<std::uint32_t>(outcome.blocksSent);
    report.committed = committed;
    report.interrupted = interrupted;
    report.result = done ? "DSP Flash Operation Done" : "Serial Port Error";
    if (interrupted && !committed)
        report.result = "interrupted; the image was not committed";
    else if (interrupted)
        report.result = "interrupted during the programming wait";
    m_output.Flash(report);

    if (interrupted) {
        m_console.err << (committed ? "vx18dctl: stopped while the unit programs the image; leave "
                                      "it powered for a minute\n"
                                    : "vx18dctl: stopped; the unit was not asked to program the "
                                      "image\n");
        return kExitInterrupted;
    }
    if (!done) {
        m_console.err << "vx18dctl: Serial Port Error: "
                      << (committed
                              ? "the unit did not answer the commit"
                              : "the unit refused block " + std::to_string(outcome.blocksSent + 1) +
                                    " of " + std::to_string(outcome.blocksTotal) +
                                    "; nothing was committed")
                      << '\n';
        return kExitUnitFailed;
    }
    return kExitSuccess;
}

} // namespace

int Run(int argc, const char* const* argv, Console& console) {
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv, console.out, console.err);
    if (!parsed.invocation)
        return parsed.exitStatus;
    const Invocation& invocation = *parsed.invocation;

    std::unique_ptr<Output> output;
    if (invocation.json)
        output = std::make_unique<JsonOutput>(console.out);
    else
        output = std::make_unique<TextOutput>(console.out);

    auto fail = [&](const std::exception& e, int status) {
        console.err << "vx18dctl: " << e.what() << '\n';
        output->Failure(e.what(), status);
        return status;
    };
    try {
        CommandRunner runner(invocation, console, *output);
        return runner.Run();
    } catch (const UsageError& e) {
        return fail(e, kExitUsage);
    } catch (const PortError& e) {
        return fail(e, kExitPortFailed);
    } catch (const UnitError& e) {
        return fail(e, StopRequested() ? kExitInterrupted : kExitUnitFailed);
    }
}

} // namespace vx::cli
