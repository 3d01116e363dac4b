#include "ui/LogicalFont.h"

#include <QFontMetrics>

#include <algorithm>

namespace vx::ui {

QFont LogicalFont(const QString& family, int cellHeight, int weight, bool fixedPitch) {
    QFont font(family);
    font.setStyleHint(fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
    font.setFixedPitch(fixedPitch);
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    // Qt sizes the em square; the cell (ascent + descent) is a little taller.
    font.setPixelSize(cellHeight);
    const int measured = QFontMetrics(font).height();
    if (measured > 0 && measured != cellHeight)
        font.setPixelSize(std::max(1, cellHeight * cellHeight / measured));
    return font;
}

} // namespace vx::ui
