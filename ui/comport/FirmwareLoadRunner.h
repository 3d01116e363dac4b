// One firmware load off the user-interface thread: the loader runs on a
// worker thread while a modal progress window shows it, so the windows stay
// painted and the operator can cancel while blocks are being sent. Nothing
// else may use the protocol object meanwhile; the caller stops whatever
// polls the unit before it starts a load.
#pragma once

#include "unit/FirmwareLoader.h"

#include <functional>
#include <string>

class QWidget;

namespace vx::ui {

// Runs one load of the file at path and returns its outcome once the
// worker has ended. onCommitted runs once, on the worker thread, right after
// the image was committed and before the programming wait begins: it must
// be safe to call from there (a tone is).
vx::FirmwareLoadOutcome RunFirmwareLoad(QWidget* owner, vx::CVX18D3_Comm& comm,
                                        const std::string& path,
                                        const vx::FirmwareLoader::Timing& timing,
                                        const std::function<void()>& onCommitted);

} // namespace vx::ui
