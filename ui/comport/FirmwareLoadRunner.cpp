#include "ui/comport/FirmwareLoadRunner.h"

#include "platform/Clock.h"
#include "ui/comport/FirmwareProgressDialog.h"

#include <QMetaObject>

#include <atomic>
#include <thread>
#include <utility>

namespace vx::ui {
namespace {

// Progress reaches the window at most this often while blocks go out;
// phase changes and the last block always do.
constexpr std::int64_t kProgressIntervalMs = 50;

} // namespace

vx::FirmwareLoadOutcome RunFirmwareLoad(QWidget* owner, vx::CVX18D3_Comm& comm,
                                        const std::string& path,
                                        const vx::FirmwareLoader::Timing& timing,
                                        const std::function<void()>& onCommitted) {
    FirmwareProgressDialog dialog(owner);
    std::atomic<bool> cancel{false};
    QObject::connect(&dialog, &FirmwareProgressDialog::CancelRequested, &dialog,
                     [&cancel] { cancel = true; });

    // Everything the worker hands over is queued to the window's thread;
    // the window outlives the worker, and Finish is the last thing queued.
    auto post = [&dialog](auto call) {
        QMetaObject::invokeMethod(&dialog, std::move(call), Qt::QueuedConnection);
    };

    vx::FirmwareLoadOutcome outcome;
    std::thread worker([&] {
        vx::FirmwareLoader loader(comm, timing);
        std::int64_t lastShown = 0;
        bool shownOnce = false;
        auto progress = [&](const vx::FirmwareProgress& state) {
            const bool committed =
                state.phase == vx::FirmwarePhase::Programming && state.waitStepsDone == 0;
            // Right here, so that it comes after the commit and before the wait.
            if (committed && onCommitted)
                onCommitted();
            const std::int64_t now = plat::TickMs();
            const bool due = !shownOnce || state.phase == vx::FirmwarePhase::Programming ||
                             state.blocksSent == state.blocksTotal ||
                             now - lastShown >= kProgressIntervalMs;
            if (!due)
                return;
            shownOnce = true;
            lastShown = now;
            post([&dialog, state] { dialog.ShowProgress(state); });
        };
        outcome = loader.Load(path, progress, cancel);
        post([&dialog] { dialog.Finish(); });
    });
    dialog.exec();
    worker.join();
    return outcome;
}

} // namespace vx::ui
