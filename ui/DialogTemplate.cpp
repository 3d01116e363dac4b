#include "ui/DialogTemplate.h"

#include "ui/ImageStatic.h"
#include "ui/MultilineButton.h"
#include "ui/UpDownControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>

namespace vx::ui {
namespace {

QWidget* CreateControl(const TemplateControl& entry, QWidget* parent) {
    const QString text = QString::fromLatin1(entry.text ? entry.text : "")
                             .replace(QLatin1String("\r\n"), QLatin1String("\n"));
    switch (entry.kind) {
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::CenteredLabel: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignCenter);
        edit->setFocusPolicy(Qt::NoFocus);
        return edit;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::Image:
        return new ImageStatic(entry.image, parent);
    case ControlKind::PushCheck:
    case ControlKind::PushButton: {
        auto* button = (entry.style & kStyleMultiline) ? new MultilineButton(text, parent)
                                                       : new QPushButton(text, parent);
        button->setCheckable(entry.kind == ControlKind::PushCheck);
        // Enter belongs to the window's own keyboard handling, never to a button.
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::SpinBox: {
        auto* spin = new QSpinBox(parent);
        spin->setAlignment(Qt::AlignCenter);
        spin->setKeyboardTracking(false);
        if (entry.buddy != 0) {
            if (auto* edit = spin->findChild<QLineEdit*>())
                edit->setObjectName(ControlName(entry.buddy));
        }
        return spin;
    }
    case ControlKind::TabControl:
        return new QTabWidget(parent);
    case ControlKind::Frame: {
        auto* frame = new QFrame(parent);
        frame->hide();
        return frame;
    }
    case ControlKind::RightLabel: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        if (entry.style & kStyleAlignRight)
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        else if (entry.style & kStyleAlignCenter)
            edit->setAlignment(Qt::AlignCenter);
        if (entry.style & kStyleDigitsOnly) {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        edit->setReadOnly((entry.style & kStyleReadOnly) != 0);
        return edit;
    }
    case ControlKind::DropDownList: {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        list->setInsertPolicy(QComboBox::InsertAtBottom);
        return list;
    }
    case ControlKind::PushRadio: {
        auto* button = new QPushButton(text, parent);
        button->setCheckable(true);
        button->setAutoExclusive(false);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(text, parent);
        radio->setAutoExclusive(false);
        return radio;
    }
    case ControlKind::UpDown:
        return new UpDownControl(parent);
    }
    return nullptr;
}

// A drop-down list's template height is the height of the list when it is
// dropped; the closed control is as tall as an edit (14 dialog units at most).
void PlaceDropDownList(QComboBox* list, const QRect& dropped, const DialogUnits& units) {
    const int closedHeight = std::min(list->sizeHint().height(), units.Y(14));
    list->setGeometry(dropped.x(), dropped.y(), dropped.width(), closedHeight);
    const int itemHeight = std::max(1, list->fontMetrics().height() + 2);
    list->setMaxVisibleItems(std::max(1, (dropped.height() - closedHeight) / itemHeight));
}

} // namespace

DialogControls::DialogControls(QWidget* parent, std::span<const TemplateControl> controls,
                               const DialogUnits& units) {
    for (const TemplateControl& entry : controls) {
        QWidget* control = CreateControl(entry, parent);
        if (!control)
            continue;
        const QRect rect = units.Rect(entry.x, entry.y, entry.width, entry.height);
        if (auto* list = qobject_cast<QComboBox*>(control))
            PlaceDropDownList(list, rect, units);
        else
            control->setGeometry(rect);
        if (entry.style & kStyleDisabled)
            control->setEnabled(false);
        if (entry.id != IDC_STATIC) {
            control->setObjectName(ControlName(entry.id));
            m_byId[entry.id] = control;
        }
    }
}

QWidget* DialogControls::Find(int id) const {
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

} // namespace vx::ui
