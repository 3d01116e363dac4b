// A push button whose caption wraps onto as many lines as its width asks
// for, between words: the button of a dialog template with the multiline
// style. text() stays the caption as set.
#pragma once

#include <QPushButton>

namespace vx::ui {

class MultilineButton : public QPushButton {
    Q_OBJECT

public:
    MultilineButton(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vx::ui
