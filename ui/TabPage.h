// What every tab page of the main window shares: the protocol object, the
// program directory, and the keyboard handling of Enter and Space. The page's
// window text is its tab caption.
#pragma once

#include "platform/Win32Types.h"
#include "ui/DialogTemplate.h"

#include <QWidget>

#include <memory>
#include <span>
#include <string>

namespace vx {
class CVX18D3_Comm;
}

namespace vx::ui {

class TabPage : public QWidget {
    Q_OBJECT

public:
    TabPage(CVX18D3_Comm* comm, QWidget* parent);

    // Program directory, copied in by the main window after construction.
    std::string m_strAppDir;

    // A key-down of Enter (13) or Space (32): typed in the page, or forwarded
    // to it by the main window. Offers it to the accelerator table.
    virtual void OnKeyDown(plat::UINT virtualKey);

protected:
    // Accelerator commands: 32771 for Enter, 32772 for Space.
    virtual void OnCommand(plat::UINT command);

    // Creates the page's controls from its dialog template, laid out in the
    // dialog units of the page's font, and sizes the page to the template.
    void CreateFromTemplate(std::span<const TemplateControl> controls, int widthDlu, int heightDlu);
    // A control of the template by its identifier; null when it has none.
    template <class T> T* Item(int id) const {
        return m_controls ? m_controls->Get<T>(id) : nullptr;
    }

    CVX18D3_Comm* m_pComm; // not owned

private:
    std::unique_ptr<DialogControls> m_controls;
};

} // namespace vx::ui
