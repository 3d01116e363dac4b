// Program start to the main window shown, with both receiver setup pages
// initialised, against the simulated unit at 57600 baud: the application's
// start-up (port, link test), the main window's read-out of the unit, and
// each setup page's read-back of its receiver. Printed as a ratio to the line
// time of every request and reply that start needed.
//
// Usage: vx18d-bench-startup [runs, default 5]
#include "BenchSupport.h"

#include "app/CVX18DApp.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "settings/RegistrySettings.h"
#include "sim/SimulatedUnit.h"
#include "support/TestSupport.h"
#include "ui/main/CVX18DDlg.h"
#include "ui/main/StatusWorker.h"

#include <QApplication>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint32_t kBaud = 57600; // the unit's and the program's default rate

bool StorePortName(const std::string& name) {
    plat::HKEY key = nullptr;
    if (plat::RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, vx::SettingsKeyPath().c_str(), 0, nullptr, 0,
                             plat::KEY_WRITE, nullptr, &key, nullptr) != 0)
        return false;
    const bool stored = plat::RegSetValueEx(key, "COM_PORT", 0, plat::REG_SZ,
                                            reinterpret_cast<const plat::BYTE*>(name.c_str()),
                                            static_cast<plat::DWORD>(name.size() + 1)) == 0;
    plat::RegCloseKey(key);
    return stored;
}

struct Run {
    bool complete = false;
    double seconds = 0;
    std::vector<std::vector<std::uint8_t>> traffic;
};

// Starts the program as it starts itself, up to its main window on the screen.
Run StartOnce(sim::SimulatedUnit& unit) {
    Run run;
    unit.ClearRequests();
    vx::CVX18DApp app;
    app.SetDialogRunner([&](vx::CVX18D3_Comm& comm, int offline, const std::string& appDir) {
        vx::ui::CVX18DDlg dlg(&comm, offline);
        dlg.m_strAppDir = appDir;
        dlg.OnInitDialog();
        dlg.show();
        while (!dlg.windowHandle() || !dlg.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        run.seconds = static_cast<double>(plat::TickUs()) / 1e6 - run.seconds;
        run.traffic = unit.Requests();
        run.complete = offline == 0 && dlg.SetupPage(0) && dlg.SetupPage(1);
        dlg.DestroyWindow();
        return 1;
    });
    run.seconds = static_cast<double>(plat::TickUs()) / 1e6;
    app.InitInstance();
    return run;
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    vxtest::IsolatedConfig config;
    sim::SimulatedUnit unit;
    if (!unit.Start(config.PortsDir(), "COM7") || !StorePortName("COM7")) {
        std::printf("the simulated unit did not start: %s\n", unit.LastError().c_str());
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    plat::SetShellOpenHandler([](const std::string&) { return std::intptr_t{42}; });

    vxbench::PrintHeader("Program start to the main window shown, both setup pages initialised "
                         "(ratio = mean / line time of its requests and replies)");
    StartOnce(unit); // warms up the caches of fonts and styles
    vxbench::Timing timing;
    double lineSeconds = 0;
    std::size_t exchanges = 0;
    double total = 0;
    timing.minSeconds = 1e9;
    for (int i = 0; i < runs; ++i) {
        const Run run = StartOnce(unit);
        if (!run.complete)
            ++timing.failures;
        total += run.seconds;
        timing.minSeconds = std::min(timing.minSeconds, run.seconds);
        lineSeconds = vxbench::LineSeconds(vxbench::ExchangeLineBytes(run.traffic), kBaud);
        exchanges = run.traffic.size();
    }
    timing.runs = runs;
    timing.meanSeconds = total / runs;
    vxbench::PrintRow("start to window (" + std::to_string(exchanges) + " exch.)", kBaud, timing,
                      lineSeconds);
    unit.Stop();
    return timing.failures == 0 ? 0 : 1;
}
