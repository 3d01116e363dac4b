// Placement of the status lamps that follows the font and style the window
// is shown with, where fixed dialog-unit rectangles cannot: a heading whose
// words each stand over a lamp, and lamps kept inside the frame around them.
#pragma once

#include <QLabel>
#include <QWidget>

#include <initializer_list>

class QGroupBox;

namespace vx::ui {

// Draws each word of heading's text centred over the lamp given for it, in
// order (as "  LO2       LO1" over the LO2 and LO1 lamps), whatever the
// font does to the blanks between them. The text itself stays as it is.
void CentreWordsOverLamps(QLabel* heading, std::initializer_list<const QWidget*> lamps);

// Shrinks and moves the lamps (all in one place) so that they sit inside
// the frame of box, under its title, with a small margin; caption, the text
// beside them, is centred on them vertically.
void FitLampsInFrame(const QGroupBox* box, std::initializer_list<QWidget*> lamps, QWidget* caption);

} // namespace vx::ui
