// Template 136: the communications page. The serial port, rate, parity and
// stop-bits lists with their labels and notes, "Test" and the link lamps in
// the upper part; the "Flash File Update" group with the firmware path,
// "Browse" and "Load" in the lower part.
#pragma once

#include "ui/DialogTemplate.h"
#include "ui/PageHandler.h"

#include <span>

namespace vx::ui {

inline constexpr int IDD_COMPORT = 136;
inline constexpr int kComPortWidthDlu = 438;
inline constexpr int kComPortHeightDlu = 214;

inline constexpr int IDC_COM_PORT_LIST = 1000;
inline constexpr int IDC_BAUD_RATE_LIST = 1001;
inline constexpr int IDC_PARITY_LIST = 1002;
inline constexpr int IDC_STOP_BITS_LIST = 1004;
inline constexpr int IDC_TEST = 3606;
inline constexpr int IDC_LINK_OK = 1167;     // green lamp
inline constexpr int IDC_LINK_FAILED = 1153; // red lamp, same place
inline constexpr int IDC_FLASH_PATH = 6637;
inline constexpr int IDC_BROWSE = 6639;
inline constexpr int IDC_LOAD = 6479;

// The notes right of the lists, moved along when a list grows (see
// CVX18D_ComPort::FitListsToLabels).
inline constexpr int IDC_COM_PORT_NOTE = 1010;
inline constexpr int IDC_BAUD_RATE_NOTE = 1011;
inline constexpr int IDC_PARITY_NOTE = 1012;
inline constexpr int IDC_STOP_BITS_NOTE = 1014;

std::span<const TemplateControl> ComPortTemplate();

// The page's tones.
struct ComPortTones {
    Tone linkOk;         // the unit answered
    Tone linkFailed;     // it did not
    Tone flashCommitted; // the image was committed; the programming wait begins
    Tone flashDone;      // the programming wait is over
    Tone flashFailed;    // the load failed
};
inline constexpr ComPortTones kComPortTones{
    {1000, 100}, kToneFailure, {1000, 10}, {1000, 100}, kToneFailure,
};

} // namespace vx::ui
