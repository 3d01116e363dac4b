// Dialog units: the layout grid of the dialog templates. One horizontal unit
// is a quarter of the dialog font's average character width and one vertical
// unit an eighth of its height, so a window laid out in dialog units keeps
// its proportions whatever font and screen it is shown with.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace vx::ui {

class DialogUnits {
public:
    // Base units measured from the font: the average width of the 52 letters
    // of the Latin alphabet, rounded, and the font's line height.
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    int X(int dlu) const;
    int Y(int dlu) const;
    // Each edge is converted on its own, so controls that meet in dialog
    // units also meet in pixels.
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

} // namespace vx::ui
