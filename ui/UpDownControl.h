// An up-down control: two arrow buttons that step a position within a range,
// optionally tied to a buddy edit that shows the position as a whole number.
// With a buddy the position is read back from the edit's text before each
// step, so what the operator typed there is what the step starts from.
//
// The control reports each completed change once: a click on an arrow, an
// Up or Down key, a Page Up or Page Down key (in the control or in its
// buddy). Typing in the buddy and setting the position from code report
// nothing.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace vx::ui {

class UpDownControl : public QWidget {
    Q_OBJECT

public:
    explicit UpDownControl(QWidget* parent);

    // The range may run either way; the up arrow always moves toward upper.
    void SetRange(int lower, int upper);
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

    // Held within the range; writes the buddy's text.
    void SetPos(int position);
    // The buddy's text when it reads as a number within the range, otherwise
    // the last position set or stepped to.
    int GetPos() const;

    // Arrow and page keys typed in the buddy step the control.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return m_buddy; }

    // Steps as the operator does: delta steps toward upper (negative: toward
    // lower). Returns true when the position changed, and then reports it.
    bool StepBy(int delta);

    static constexpr int kPageSteps = 10;

signals:
    // A completed change by the operator: the new position.
    void Stepped(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Clamp(int position) const;
    // Steps for an arrow or page key; 0 for any other key.
    static int KeySteps(int key);

    QToolButton* m_up;
    QToolButton* m_down;
    QLineEdit* m_buddy = nullptr; // not owned: a sibling control
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
};

} // namespace vx::ui
