// A firmware load through the communications page against the simulated
// unit, at 57600 and 921600 baud: the time from Load to the end of the
// transfer and commit as a ratio to the line time of all its bytes (and, at
// rates where the port's 1 ms pause after every 16th byte written is the
// floor, to that floor), and the longest time the user-interface thread went
// without handling events meanwhile. Also the time the page takes to probe
// COM1 to COM255.
//
// The programming wait that follows the commit (60 s in the program) is not
// part of what is measured: the benchmark gives the page a clock whose
// waits return at once.
//
// Usage: vx18d-bench-firmware-load [image-bytes]   (default 1048576, at
// 57600 baud more than three minutes of line time)
#include "BenchSupport.h"
#include "app/CVX18DApp.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "platform/PortProbe.h"
#include "platform/SerialDevice.h"
#include "platform/Shell.h"
#include "sim/SimulatedUnit.h"
#include "support/SimLink.h"
#include "ui/comport/CVX18D_ComPort.h"
#include "ui/comport/ComPortTemplate.h"
#include "ui/main/CVX18DDlg.h"
#include "ui/main/MainDialogTemplate.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

double ProbeMilliseconds() {
    const std::int64_t start = plat::TickUs();
    int found = 0;
    for (int number = 1; number <= 255; ++number) {
        plat::COMMCONFIG config{};
        plat::DWORD size = 52;
        const std::string name = "COM" + std::to_string(number);
        if (plat::GetDefaultCommConfig(name.c_str(), &config, &size) && plat::ProbeSerialPort(name))
            ++found;
    }
    const double ms = static_cast<double>(plat::TickUs() - start) / 1000.0;
    std::printf("probing COM1..COM255 as the page does: %.2f ms, %d ports\n", ms, found);
    return ms;
}

struct LoadFigures {
    double seconds = 0;
    double longestStallMs = 0;
    double longestStallAtS = 0; // when it ended, after Load was pressed
    int stallsOver20Ms = 0;
    bool committed = false;
};

LoadFigures LoadThroughThePage(vxtest::SimLink& link, const std::string& image,
                               std::size_t imageBytes) {
    vx::ui::CVX18DDlg dlg(&link.Comm(), 0);
    dlg.m_strAppDir = vx::RecordFolder();
    dlg.OnInitDialog();
    dlg.show();
    auto* tab = dlg.findChild<QTabWidget*>(vx::ui::ControlName(vx::ui::IDC_TAB));
    tab->setCurrentIndex(tab->count() - 1);
    vx::ui::CVX18D_ComPort* page = dlg.ComPortPage();
    page->SetFirmwareTiming({[](std::uint32_t) {}, {}});
    page->findChild<QLineEdit*>(vx::ui::ControlName(vx::ui::IDC_FLASH_PATH))
        ->setText(QString::fromStdString(image));

    // A 1 ms timer: the longest gap between its ticks is the longest time
    // the thread handled no event.
    LoadFigures figures;
    std::int64_t start = plat::TickUs();
    std::int64_t lastTick = start;
    std::int64_t longestGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const std::int64_t now = plat::TickUs();
        if (now - lastTick > longestGap) {
            longestGap = now - lastTick;
            figures.longestStallAtS = static_cast<double>(now - start) / 1e6;
        }
        figures.stallsOver20Ms += now - lastTick > 20000 ? 1 : 0;
        lastTick = now;
    });
    ticker.start(1);

    start = lastTick = plat::TickUs();
    page->OnLoad();
    figures.seconds = static_cast<double>(plat::TickUs() - start) / 1e6;
    ticker.stop();
    figures.longestStallMs = static_cast<double>(longestGap) / 1000.0;
    figures.committed = link.Unit().WithModel([&](sim::UnitModel& unit) {
        return unit.LastCommittedImage() && unit.LastCommittedImage()->bytes.size() == imageBytes;
    });
    dlg.DestroyWindow();
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t imageBytes = argc > 1 ? std::strtoul(argv[1], nullptr, 0) : 1048576;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    plat::SetShellOpenHandler([](const std::string&) { return std::intptr_t{42}; });
    plat::SetMessageBoxHandler([](const plat::MessageBoxRequest&) { return plat::IDOK; });
    plat::SetDebugSink([](std::string_view) {});

    std::printf("\nFirmware load through the communications page and the simulated unit\n");
    std::printf("(ratio = time from Load to the end of transfer and commit / line time of all "
                "requests and replies; the 60 s programming wait is left out)\n");
    for (std::uint32_t baud : {57600u, 921600u}) {
        vxtest::SimLink link({}, baud);
        if (!vxbench::LinkReady(link, baud))
            return 1;
        if (baud == 57600u)
            ProbeMilliseconds();
        const std::string image = link.Config().Path() + "/image.bin";
        {
            std::ofstream out(image, std::ios::binary);
            for (std::size_t i = 0; i < imageBytes; ++i)
                out.put(static_cast<char>(i * 31 + 7));
        }
        // Blocks of 6 + n bytes answered by 6, then the 10 + 10 byte commit.
        const std::size_t blocks = (imageBytes + 127) / 128;
        const double line = vxbench::LineSeconds(imageBytes + blocks * 12 + 20, baud);
        // The port pauses 1 ms after every 16th byte it writes.
        const double floor = static_cast<double>(imageBytes + blocks * 6) / 16.0 / 1000.0;

        const LoadFigures figures = LoadThroughThePage(link, image, imageBytes);
        std::printf("%8u baud  %zu B: %8.2f s  line %8.2f s  ratio %5.2f  pause floor %6.2f s "
                    "ratio %5.2f  %s\n",
                    baud, imageBytes, figures.seconds, line, figures.seconds / line, floor,
                    figures.seconds / floor, figures.committed ? "committed" : "NOT COMMITTED");
        std::printf("%8s user-interface thread without events: longest %.1f ms (at %.2f s), "
                    "%d gaps over 20 ms\n",
                    "", figures.longestStallMs, figures.longestStallAtS, figures.stallsOver20Ms);
        std::fflush(stdout);
    }
    return 0;
}
