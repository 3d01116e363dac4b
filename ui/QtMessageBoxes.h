// Message boxes of the Qt front end behind the core's message box service.
#pragma once

namespace vx::ui {

// Routes every message box of the core to a modal QMessageBox.
void InstallQtMessageBoxes();

} // namespace vx::ui
