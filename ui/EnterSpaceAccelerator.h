// Accelerator table 130 as the windows of this system use it: of all keys
// only Enter and Space are offered to it, and they become commands 32771 and
// 32772. Everything else goes to the window's ordinary keyboard handling.
#pragma once

#include "platform/Win32Types.h"

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace vx::ui {

inline constexpr plat::UINT VK_RETURN = 13;
inline constexpr plat::UINT VK_SPACE = 32;
inline constexpr plat::UINT ID_ACCEL_ENTER = 32771;
inline constexpr plat::UINT ID_ACCEL_SPACE = 32772;

// 13 for Enter (either key), 32 for Space, both without modifiers; 0 otherwise.
plat::UINT EnterSpaceKey(const QKeyEvent& event);

// The command for a key-down of 13 or 32; 0 for any other key.
plat::UINT TranslateEnterSpace(plat::UINT virtualKey);

// The key-down event for 13 or 32, as posted to a page.
QKeyEvent* MakeKeyDown(plat::UINT virtualKey);

// Catches Enter and Space pressed in a window or any of its controls before
// the control sees them, and hands them to the window as key-downs. Windows
// created later get the first look, so a page inside the main window handles
// its own keys.
class EnterSpaceAccelerator : public QObject {
    Q_OBJECT

public:
    using KeyHandler = std::function<void(plat::UINT virtualKey)>;

    // Installs itself for the application; the window owns it.
    EnterSpaceAccelerator(QWidget* window, KeyHandler handler);
    ~EnterSpaceAccelerator() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    KeyHandler m_handler;
};

} // namespace vx::ui
