#include "ui/UpDownControl.h"

#include "text/NumberText.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace vx::ui {

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    setFocusPolicy(Qt::StrongFocus);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {m_up, m_down}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRaise(false);
    }
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    connect(m_up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void UpDownControl::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
}

int UpDownControl::Clamp(int position) const {
    return std::clamp(position, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
}

void UpDownControl::SetPos(int position) {
    m_position = Clamp(position);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

int UpDownControl::GetPos() const {
    if (m_buddy) {
        if (const auto typed = ScanInt(m_buddy->text().toStdString());
            typed && Clamp(*typed) == *typed)
            return *typed;
    }
    return m_position;
}

void UpDownControl::SetBuddy(QLineEdit* buddy) {
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
}

bool UpDownControl::StepBy(int delta) {
    const int from = GetPos();
    const int direction = m_upper >= m_lower ? 1 : -1;
    const int to = Clamp(from + direction * delta);
    SetPos(to);
    if (to == from)
        return false;
    emit Stepped(to);
    return true;
}

int UpDownControl::KeySteps(int key) {
    switch (key) {
    case Qt::Key_Up:
        return 1;
    case Qt::Key_Down:
        return -1;
    case Qt::Key_PageUp:
        return kPageSteps;
    case Qt::Key_PageDown:
        return -kPageSteps;
    default:
        return 0;
    }
}

void UpDownControl::keyPressEvent(QKeyEvent* event) {
    if (const int steps = KeySteps(event->key())) {
        StepBy(steps);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        if (const int steps = KeySteps(static_cast<QKeyEvent*>(event)->key())) {
            if (isEnabled())
                StepBy(steps);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownControl::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

} // namespace vx::ui
