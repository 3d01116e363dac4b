#include "ui/comport/ComPortTemplate.h"

#include "ui/IndicatorImages.h"

namespace vx::ui {
namespace {

using K = ControlKind;

constexpr TemplateControl kTemplate[] = {
    // The group's frame first, so that its controls lie above it.
    {K::GroupBox, IDC_STATIC, "Flash File Update", 7, 138, 413, 48},

    {K::Label, IDC_STATIC, "Com Port:", 7, 21, 48, 8},
    {K::DropDownList, IDC_COM_PORT_LIST, "", 57, 19, 50, 69},
    {K::Label, IDC_COM_PORT_NOTE, "Computer Dependant", 113, 21, 100, 8},
    {K::Label, IDC_STATIC, "Baud Rate:", 7, 43, 48, 8},
    {K::DropDownList, IDC_BAUD_RATE_LIST, "", 57, 41, 50, 69},
    {K::Label, IDC_BAUD_RATE_NOTE, "Default: 57600", 113, 43, 100, 8},
    {K::Label, IDC_STATIC, "Parity:", 7, 65, 48, 8},
    {K::DropDownList, IDC_PARITY_LIST, "", 57, 63, 50, 69},
    {K::Label, IDC_PARITY_NOTE, "Default: No parity", 113, 65, 100, 8},
    {K::Label, IDC_STATIC, "Stop Bits:", 7, 87, 48, 8},
    {K::DropDownList, IDC_STOP_BITS_LIST, "", 57, 85, 50, 69},
    {K::Label, IDC_STOP_BITS_NOTE, "Default: 1 stop bit", 113, 87, 100, 8},

    {K::PushButton, IDC_TEST, "Test", 57, 107, 50, 12},
    {K::Image, IDC_LINK_OK, "", 128, 103, 21, 20, IDI_LAMP_GREEN},
    {K::Image, IDC_LINK_FAILED, "", 128, 103, 21, 20, IDI_LAMP_RED},

    {K::Edit, IDC_FLASH_PATH, "", 15, 151, 399, 12, 0, 0, kStyleDisabled},
    {K::PushButton, IDC_BROWSE, "Browse", 348, 168, 30, 12, 0, 0, kStyleDisabled},
    {K::PushButton, IDC_LOAD, "Load", 384, 168, 30, 12, 0, 0, kStyleDisabled},
};

} // namespace

std::span<const TemplateControl> ComPortTemplate() {
    return kTemplate;
}

} // namespace vx::ui
