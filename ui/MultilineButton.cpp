#include "ui/MultilineButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace vx::ui {

MultilineButton::MultilineButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {}

void MultilineButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The bevel as the style draws it, then the caption wrapped inside it.
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect inside = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawItemText(inside, Qt::AlignCenter | Qt::TextWordWrap, option.palette, isEnabled(),
                         caption, QPalette::ButtonText);
}

} // namespace vx::ui
