#include "ui/main/LampLayout.h"

#include <QEvent>
#include <QGroupBox>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace vx::ui {
namespace {

// Paints the heading in place of the label's own painting.
class WordsOverLamps : public QObject {
public:
    WordsOverLamps(QLabel* heading, std::vector<const QWidget*> lamps)
        : QObject(heading), m_heading(heading), m_lamps(std::move(lamps)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_heading || event->type() != QEvent::Paint)
            return false;
        QPainter painter(m_heading);
        const QStringList words = m_heading->text().split(' ', Qt::SkipEmptyParts);
        const int count = static_cast<int>(std::min<std::size_t>(words.size(), m_lamps.size()));
        for (int i = 0; i < count; ++i) {
            const QWidget* lamp = m_lamps[static_cast<std::size_t>(i)];
            // The lamp's centre in the heading's coordinates (they share a parent).
            const int centre = lamp->geometry().center().x() - m_heading->x();
            const int width = m_heading->fontMetrics().horizontalAdvance(words[i]) + 2;
            const QRect place(centre - width / 2, 0, width, m_heading->height());
            m_heading->style()->drawItemText(&painter, place, Qt::AlignCenter, m_heading->palette(),
                                             m_heading->isEnabled(), words[i],
                                             QPalette::WindowText);
        }
        return true;
    }

private:
    QLabel* m_heading;
    std::vector<const QWidget*> m_lamps;
};

constexpr int kLampMargin = 2; // pixels between a lamp and its frame

} // namespace

void CentreWordsOverLamps(QLabel* heading, std::initializer_list<const QWidget*> lamps) {
    heading->installEventFilter(new WordsOverLamps(heading, std::vector<const QWidget*>(lamps)));
    heading->update();
}

void FitLampsInFrame(const QGroupBox* box, std::initializer_list<QWidget*> lamps,
                     QWidget* caption) {
    // The inside of the frame, below the title, in the parent's coordinates.
    const QRect inside = box->contentsRect().translated(box->pos());
    for (QWidget* lamp : lamps) {
        const QRect old = lamp->geometry();
        const int side = std::min({old.width(), old.height(), inside.height() - 2 * kLampMargin});
        // The image is drawn as a square centred in the control: keep the
        // control's width, so the lamp keeps its place across.
        lamp->setGeometry(old.x(), inside.top() + (inside.height() - side) / 2, old.width(), side);
    }
    if (caption && lamps.size() > 0) {
        const int centre = (*lamps.begin())->geometry().center().y();
        caption->move(caption->x(), centre - caption->height() / 2);
    }
}

} // namespace vx::ui
