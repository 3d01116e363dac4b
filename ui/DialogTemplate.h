// Dialog templates: a window's controls as a table of kinds, identifiers,
// texts and rectangles in dialog units, and the builder that turns the table
// into Qt widgets. Each control that has an identifier carries it as its
// object name, so code and tests find it by number.
#pragma once

#include "ui/DialogUnits.h"

#include <QString>
#include <QWidget>

#include <map>
#include <span>

namespace vx::ui {

inline constexpr int IDC_STATIC = -1; // a control nobody refers to

enum class ControlKind {
    GroupBox, // frame with a caption
    Label,    // static text, left-aligned
    CenteredLabel,
    ReadOnlyEdit, // centred text the operator cannot change
    ProgressBar,
    Image,     // an image resource (lamp or bitmap), `image` names it
    PushCheck, // push-like check box
    PushButton,
    SpinBox, // up-down control together with its buddy edit (`buddy`)
    TabControl,
    Frame,        // an invisible placeholder whose rectangle other windows use
    RightLabel,   // static text, right-aligned
    Edit,         // editable field; alignment and digit filter from `style`
    DropDownList, // unsorted list with a scroll bar; the height is the dropped list's
    PushRadio,    // push-like radio button, a group of its own: the window sets its mark
    CheckBox,     // plain check box
    RadioButton,  // plain radio button, a group of its own
    UpDown,       // up-down control; its buddy edit is tied to it by the window
};

// Styles of a template control, combined with |.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kStyleDisabled = 1u << 0,    // created disabled
    kStyleAlignCenter = 1u << 1, // edit: centred text
    kStyleAlignRight = 1u << 2,  // edit: right-aligned text
    kStyleDigitsOnly = 1u << 3,  // edit: typing limited to the digits 0 to 9
    kStyleReadOnly = 1u << 4,    // edit: the operator cannot type, the window sets the text
    kStyleMultiline = 1u << 5,   // push button: the caption wraps between words
};

struct TemplateControl {
    ControlKind kind;
    int id;
    const char* text;
    int x, y, width, height; // dialog units
    int image = 0;           // image resource for ControlKind::Image
    int buddy = 0;           // buddy edit identifier for ControlKind::SpinBox
    unsigned style = kStyleNone;
};

// The widgets built from a template, by identifier.
class DialogControls {
public:
    // Creates every control of the table as a child of parent, in table
    // order (later controls lie above earlier ones).
    DialogControls(QWidget* parent, std::span<const TemplateControl> controls,
                   const DialogUnits& units);

    QWidget* Find(int id) const;
    template <class T> T* Get(int id) const { return qobject_cast<T*>(Find(id)); }

private:
    std::map<int, QWidget*> m_byId; // owned by their Qt parent
};

// The object name that identifies a control.
inline QString ControlName(int id) {
    return QString::number(id);
}

} // namespace vx::ui
