// Fonts given as the dialog framework gives them: a face name and a logical
// height, the height of the character cell in pixels at 96 dots per inch.
// Where the named face is missing, fontconfig's metric-compatible family
// stands in for it (Liberation Sans for Arial, Liberation Mono for Courier
// New), so the text keeps its size and width.
#pragma once

#include <QFont>
#include <QString>

namespace vx::ui {

// weight as the framework numbers it: 400 normal, 700 bold.
QFont LogicalFont(const QString& family, int cellHeight, int weight, bool fixedPitch);

} // namespace vx::ui
