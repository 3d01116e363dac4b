#include "ui/EnterSpaceAccelerator.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace vx::ui {

plat::UINT EnterSpaceKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return 0;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Space:
        return VK_SPACE;
    default:
        return 0;
    }
}

plat::UINT TranslateEnterSpace(plat::UINT virtualKey) {
    switch (virtualKey) {
    case VK_RETURN:
        return ID_ACCEL_ENTER;
    case VK_SPACE:
        return ID_ACCEL_SPACE;
    default:
        return 0;
    }
}

QKeyEvent* MakeKeyDown(plat::UINT virtualKey) {
    const int key = virtualKey == VK_SPACE ? Qt::Key_Space : Qt::Key_Return;
    const QString text = virtualKey == VK_SPACE ? QStringLiteral(" ") : QStringLiteral("\r");
    return new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text);
}

EnterSpaceAccelerator::EnterSpaceAccelerator(QWidget* window, KeyHandler handler)
    : QObject(window), m_window(window), m_handler(std::move(handler)) {
    QCoreApplication::instance()->installEventFilter(this);
}

EnterSpaceAccelerator::~EnterSpaceAccelerator() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool EnterSpaceAccelerator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != m_window && !m_window->isAncestorOf(widget))
        return false;
    const plat::UINT key = EnterSpaceKey(*static_cast<QKeyEvent*>(event));
    if (key == 0)
        return false;
    m_handler(key);
    return true;
}

} // namespace vx::ui
