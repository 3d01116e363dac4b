// The program's images: the application icon and the indicator lamps that the
// main window and the pages show. They are drawn as vectors, so they stay
// crisp at every size and screen scale; each is known by its resource number.
#pragma once

#include <QIcon>

namespace vx::ui {

inline constexpr int IDR_MAINFRAME = 128;   // application icon
inline constexpr int IDI_LAMP_GREEN = 134;  // PLL synchronised, LO locked, link good
inline constexpr int IDI_LAMP_RED = 135;    // link failed
inline constexpr int IDI_LAMP_GREY = 140;   // PLL not synchronised
inline constexpr int IDI_LAMP_YELLOW = 142; // LO not locked
inline constexpr int IDB_LED_GREEN = 183;   // AGC zero active, ID LED on
inline constexpr int IDB_LED_GREY = 184;    // AGC zero inactive, ID LED off

// The image with that resource number; a null icon for an unknown number.
QIcon LoadImageResource(int resourceId);

} // namespace vx::ui
