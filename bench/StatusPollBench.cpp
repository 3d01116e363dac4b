// The status poll of the main window at rates 1, 5 and 10 against the
// simulated unit at 57600 baud: samples per second achieved, as a ratio to
// the chosen rate, and the processor time that polling costs the program.
//
// Two ways of emptying the port before each status exchange are compared:
// discarding only the input already waiting (what the window does), and
// reading bytes until a read times out, which costs a whole read time-out
// (200 ms) on every idle poll.
//
// The simulated unit runs in a child process, so the processor time measured
// here is the program's alone (window thread, status worker and Qt).
//
// With --cpu it measures only what an hour of use costs in the background:
// the processor time of an idle minute (Status off) and of a polling minute
// at rate 10, for the whole program and for the status worker thread alone,
// with the number of times the worker woke up.
//
// With --monitor it measures what the traffic monitor costs while polling at
// rate 10: the program as it was before the port tap, with the tap and the
// monitor closed, with the monitor open (status polls hidden, and shown),
// each as processor time per minute and, in a second run with a 1 ms timer,
// the longest time the window's thread went without handling events.
//
// Usage: vx18d-bench-status-poll [seconds per rate, default 10]
//        vx18d-bench-status-poll --cpu [seconds per measurement, default 60]
//        vx18d-bench-status-poll --monitor [seconds per measurement, default 20]
#include "app/CVX18DApp.h"
#include "platform/Clock.h"
#include "platform/Shell.h"
#include "protocol/CVX18D3_Comm.h"
#include "serial/CSerialCom.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"
#include "trace/TracedPort.h"
#include "trace/TrafficLog.h"
#include "ui/main/CVX18DDlg.h"
#include "ui/main/StatusWorker.h"
#include "ui/monitor/TrafficMonitor.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kBaud = 57600;

// The port as it is, except that "discard what is waiting" reads bytes until
// a read times out.
class DrainingPort : public vx::CBaseClass {
public:
    explicit DrainingPort(vx::CBaseClass& port) : m_port(port) {}
    plat::WORD FlushInput() override { return m_port.FlushInput(); }
    plat::BOOL WriteByte(plat::BYTE value) override { return m_port.WriteByte(value); }
    plat::BOOL Write(const plat::BYTE* data, int length) override {
        return m_port.Write(data, length);
    }
    plat::BOOL ReadByte(plat::BYTE* out) override { return m_port.ReadByte(out); }
    int ReservedFirst() override { return 0; }
    const char* GetAddress() override { return m_port.GetAddress(); }
    int ReservedThird() override { return 0; }
    plat::DWORD DiscardPendingInput() override {
        plat::DWORD count = 0;
        plat::BYTE byte = 0;
        while (m_port.ReadByte(&byte))
            ++count;
        return count;
    }

private:
    vx::CBaseClass& m_port;
};

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The status worker thread's processor time and wake-ups so far.
vxtest::ThreadActivity WorkerThreadUse() {
    return vxtest::ThreadActivityByName(vx::ui::kStatusWorkerThreadName);
}

void RunEvents(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Handles events until the window has written its next sample; returns the time then, in us.
std::int64_t WaitForNextSample(const vx::ui::CVX18DDlg& dlg) {
    const std::uint32_t sample = dlg.SampleNumber();
    while (dlg.SampleNumber() == sample)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return plat::TickUs();
}

// Records for `seconds` at `rate` through the window on comm and prints a row.
void MeasureRate(const char* step, vx::CVX18D3_Comm& comm, std::uint32_t rate, int seconds) {
    vx::ui::CVX18DDlg dlg(&comm, 0);
    dlg.m_strAppDir = vx::RecordFolder();
    dlg.OnInitDialog();
    dlg.OnSampleRateChanged(static_cast<int>(rate));
    RunEvents(300);

    // Measured from one sample to another, so that whole cycles are counted.
    dlg.OnRecordButton();
    const std::int64_t start = WaitForNextSample(dlg);
    const std::uint32_t firstSample = dlg.SampleNumber();
    const double cpuStart = ProcessCpuSeconds();
    RunEvents(seconds * 1000);
    const std::int64_t end = WaitForNextSample(dlg);
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const std::uint32_t samples = dlg.SampleNumber() - firstSample;
    const double wall = double(end - start) / 1e6;
    dlg.OnRecordButton();
    dlg.DestroyWindow();

    const double perSecond = samples / wall;
    std::printf("%-26s %5u %8u %10.2f %7.3f %9.1f %9.1f %12.2f\n", step, rate, samples, perSecond,
                perSecond / rate, samples ? 1000.0 * wall / samples : 0.0, 1000.0 * cpu / wall,
                samples ? 1000.0 * cpu / samples : 0.0);
    std::fflush(stdout);
}

// Processor time of the window with Status off: the worker idling in its 1 ms sleeps.
void MeasureIdle(vx::CVX18D3_Comm& comm, int seconds) {
    vx::ui::CVX18DDlg dlg(&comm, 0);
    dlg.m_strAppDir = vx::RecordFolder();
    dlg.OnInitDialog();
    dlg.OnStatusButton();
    RunEvents(300);
    const double cpuStart = ProcessCpuSeconds();
    const std::int64_t start = plat::TickUs();
    RunEvents(seconds * 1000);
    const double wall = double(plat::TickUs() - start) / 1e6;
    const double cpu = ProcessCpuSeconds() - cpuStart;
    dlg.DestroyWindow();
    std::printf("%-26s %5s %8s %10s %7s %9s %9.1f %12s\n", "Status off (idle worker)", "-", "-",
                "-", "-", "-", 1000.0 * cpu / wall, "-");
}

// Processor time of the program and of its status worker over `seconds`,
// with Status off or polling at rate 10, scaled to one minute.
void MeasureCpuMinute(vx::CVX18D3_Comm& comm, bool polling, int seconds) {
    vx::ui::CVX18DDlg dlg(&comm, 0);
    dlg.m_strAppDir = vx::RecordFolder();
    dlg.OnInitDialog();
    if (polling)
        dlg.OnSampleRateChanged(10);
    else
        dlg.OnStatusButton();
    RunEvents(300);
    const vxtest::ThreadActivity workerStart = WorkerThreadUse();
    const double cpuStart = ProcessCpuSeconds();
    const std::int64_t start = plat::TickUs();
    RunEvents(seconds * 1000);
    const double wall = double(plat::TickUs() - start) / 1e6;
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const vxtest::ThreadActivity workerEnd = WorkerThreadUse();
    dlg.DestroyWindow();

    const double perMinute = 60.0 / wall;
    std::printf(
        "%-26s %7.1f %14.1f %8.2f %14.1f %14.0f\n",
        polling ? "polling at rate 10" : "Status off (idle worker)", wall, 1000.0 * cpu * perMinute,
        100.0 * cpu / wall,
        workerEnd.found ? 1000.0 * (workerEnd.cpuSeconds - workerStart.cpuSeconds) * perMinute
                        : -1.0,
        workerEnd.found ? double(workerEnd.wakeUps - workerStart.wakeUps) * perMinute : -1.0);
    std::fflush(stdout);
}

enum class MonitorState { noTap, closed, openPollsHidden, openPollsShown };

// Handles events for `seconds`; returns the processor time it took, or with
// a 1 ms timer running, the longest time between two of its ticks, in ms.
double RunMeasured(int seconds, bool ticking) {
    std::int64_t lastTick = plat::TickUs();
    std::int64_t longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const std::int64_t now = plat::TickUs();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    if (ticking)
        ticker.start(1);
    const double cpuStart = ProcessCpuSeconds();
    lastTick = plat::TickUs();
    RunEvents(seconds * 1000);
    return ticking ? static_cast<double>(longestGap) / 1000.0 : ProcessCpuSeconds() - cpuStart;
}

// Polling at rate 10 through the window with the monitor as given: the
// processor time per minute, then the longest stretch without events.
void MeasureMonitor(vx::CVX18D3_Comm& comm, vx::TrafficLog* log, MonitorState state, int seconds) {
    static constexpr const char* kNames[] = {"no tap (before)", "tap, monitor closed",
                                             "monitor open, polls hidden",
                                             "monitor open, polls shown"};
    vx::ui::CVX18DDlg dlg(&comm, 0);
    dlg.m_strAppDir = vx::RecordFolder();
    dlg.m_pTrafficLog = log;
    dlg.OnInitDialog();
    dlg.OnSampleRateChanged(10);
    dlg.show();
    if (state == MonitorState::openPollsHidden || state == MonitorState::openPollsShown) {
        dlg.OpenTrafficMonitor();
        dlg.Monitor()
            ->findChild<QCheckBox*>("showPolls")
            ->setChecked(state == MonitorState::openPollsShown);
    }
    RunEvents(300);
    const std::uint64_t keptBefore = log ? log->NextSequence() : 0;
    const double cpu = RunMeasured(seconds, false);
    const std::uint64_t kept = log ? log->NextSequence() - keptBefore : 0;
    const double longestGapMs = RunMeasured(seconds, true);
    dlg.DestroyWindow();
    std::printf("%-28s %14.1f %8.2f %12.1f %10llu\n", kNames[static_cast<int>(state)],
                1000.0 * cpu * 60.0 / seconds, 100.0 * cpu / seconds, longestGapMs,
                static_cast<unsigned long long>(kept));
    std::fflush(stdout);
}

void RunMonitorStates(vx::CVX18D3_Comm& comm, vx::CBaseClass& port, int seconds) {
    std::printf("\nPolling at rate 10 through the main window at %u baud, %d s per measurement\n",
                kBaud, seconds);
    std::printf("(CPU = processor time of the program; gap = longest time the window's thread "
                "handled no event, measured with a 1 ms timer in a second run)\n");
    std::printf("%-28s %14s %8s %12s %10s\n", "", "CPU ms/min", "% core", "gap ms", "lines kept");
    MeasureMonitor(comm, nullptr, MonitorState::noTap, seconds);
    vx::TrafficLog log(nullptr);
    vx::TracedPort tap(port, &log, nullptr);
    vx::CVX18D3_Comm tapped(&tap);
    tapped.m_hTraceWnd = &log;
    for (MonitorState state :
         {MonitorState::closed, MonitorState::openPollsHidden, MonitorState::openPollsShown})
        MeasureMonitor(tapped, &log, state, seconds);
}

void RunAllRates(vx::CVX18D3_Comm& comm, vx::CVX18D3_Comm& drainingComm, int seconds) {
    std::printf("\nStatus poll through the main window at %u baud, %d s per rate\n", kBaud,
                seconds);
    std::printf("(ratio = samples per second achieved / rate chosen; CPU = processor time of "
                "the program)\n");
    std::printf("%-26s %5s %8s %10s %7s %9s %9s %12s\n", "emptying the input", "rate", "samples",
                "achieved/s", "ratio", "cycle ms", "CPU ms/s", "CPU ms/sample");
    MeasureIdle(comm, seconds);
    for (std::uint32_t rate : {1u, 5u, 10u})
        MeasureRate("discard waiting input", comm, rate, seconds);
    for (std::uint32_t rate : {1u, 5u, 10u})
        MeasureRate("read until time-out", drainingComm, rate, seconds);
}

} // namespace

int main(int argc, char* argv[]) {
    const bool cpuOnly = argc > 1 && std::strcmp(argv[1], "--cpu") == 0;
    const bool monitor = argc > 1 && std::strcmp(argv[1], "--monitor") == 0;
    const int secondsArg = cpuOnly || monitor ? 2 : 1;
    const int argSeconds = argc > secondsArg ? std::atoi(argv[secondsArg]) : 0;
    const int seconds = argSeconds > 0 ? argSeconds : (cpuOnly ? 60 : monitor ? 20 : 10);
    vxtest::IsolatedConfig config;

    // The simulated unit, in a child process started before any thread.
    int ready[2];
    int keepAlive[2];
    if (pipe(ready) != 0 || pipe(keepAlive) != 0)
        return 1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        close(keepAlive[1]);
        sim::SimulatedUnit unit;
        const char started = unit.Start(config.PortsDir(), "COM7") ? 1 : 0;
        [[maybe_unused]] ssize_t n = write(ready[1], &started, 1);
        char byte;
        while (read(keepAlive[0], &byte, 1) > 0) {
        }
        unit.Stop();
        _exit(0);
    }
    close(ready[1]);
    close(keepAlive[0]);
    char started = 0;
    if (read(ready[0], &started, 1) != 1 || !started) {
        std::printf("the simulated unit did not start\n");
        return 1;
    }

    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    plat::SetShellOpenHandler([](const std::string&) { return std::intptr_t{42}; });

    vx::SerialPortSettings settings{};
    std::strncpy(settings.portName, "COM7", 6);
    settings.baudRate = kBaud;
    settings.byteSize = 8;
    vx::CSerialCom port(&settings);
    if (!port.IsReady() || !port.ApplySettings() || !port.SetTimeouts(0, 200, 0, 0, 0)) {
        std::printf("the port did not open\n");
        return 1;
    }
    DrainingPort draining(port);
    vx::CVX18D3_Comm comm(&port);
    vx::CVX18D3_Comm drainingComm(&draining);
    if (!comm.Ping(0) || !comm.m_nLastResult) {
        std::printf("the simulated unit did not answer\n");
        return 1;
    }

    if (monitor) {
        RunMonitorStates(comm, port, seconds);
    } else if (cpuOnly) {
        std::printf("\nProcessor time per minute of the program at %u baud, measured over %d s\n",
                    kBaud, seconds);
        std::printf("%-26s %7s %14s %8s %14s %14s\n", "", "wall s", "CPU ms/min", "% core",
                    "worker ms/min", "worker wakes/min");
        MeasureCpuMinute(comm, false, seconds);
        MeasureCpuMinute(comm, true, seconds);
    } else {
        RunAllRates(comm, drainingComm, seconds);
    }

    close(keepAlive[1]);
    int status = 0;
    waitpid(child, &status, 0);
    return 0;
}
