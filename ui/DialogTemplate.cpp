#include "ui/DialogTemplate.h"

#include "ui/ImageStatic.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

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
        auto* button = new QPushButton(text, parent);
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
    }
    return nullptr;
}

} // namespace

DialogControls::DialogControls(QWidget* parent, std::span<const TemplateControl> controls,
                               const DialogUnits& units) {
    for (const TemplateControl& entry : controls) {
        QWidget* control = CreateControl(entry, parent);
        if (!control)
            continue;
        control->setGeometry(units.Rect(entry.x, entry.y, entry.width, entry.height));
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
