#include "ui/IndicatorImages.h"

#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

#include <algorithm>

namespace vx::ui {
namespace {

// The square, centred in rect, that an image is drawn into.
QRectF DrawingSquare(const QRect& rect) {
    const qreal side = std::min(rect.width(), rect.height());
    return QRectF(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0,
                  side, side);
}

// A disabled image keeps its shape and loses its colour.
QColor ForMode(const QColor& colour, QIcon::Mode mode) {
    if (mode != QIcon::Disabled)
        return colour;
    const int grey = qGray(colour.rgb());
    return QColor(grey, grey, grey).lighter(115);
}

// Renders an engine into a transparent pixmap of the asked size.
QPixmap RenderToPixmap(QIconEngine& engine, const QSize& size, QIcon::Mode mode,
                       QIcon::State state) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        engine.paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    }
    return QPixmap::fromImage(image);
}

// A round indicator lamp. Icons have a bezel and a glassy dome; the smaller
// bitmaps are a flat LED with a thin outline.
class LampEngine : public QIconEngine {
public:
    enum class Style { Icon, Bitmap };

    LampEngine(QColor colour, Style style) : m_colour(colour), m_style(style) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QRectF square = DrawingSquare(rect);
        if (square.width() < 1)
            return;
        const QColor colour = ForMode(m_colour, mode);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(Qt::NoPen);
        if (m_style == Style::Icon)
            PaintIcon(*painter, square, colour);
        else
            PaintBitmap(*painter, square, colour);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return RenderToPixmap(*this, size, mode, state);
    }

    QIconEngine* clone() const override { return new LampEngine(m_colour, m_style); }
    QString key() const override { return QStringLiteral("vx18d-lamp"); }

private:
    static void PaintIcon(QPainter& painter, const QRectF& square, const QColor& colour) {
        const qreal side = square.width();
        const QRectF bezel = square.adjusted(side * 0.06, side * 0.06, -side * 0.06, -side * 0.06);
        QLinearGradient rim(bezel.topLeft(), bezel.bottomRight());
        rim.setColorAt(0.0, QColor(235, 235, 235));
        rim.setColorAt(1.0, QColor(90, 90, 90));
        painter.setBrush(rim);
        painter.drawEllipse(bezel);

        const qreal inset = side * 0.1;
        const QRectF dome = bezel.adjusted(inset, inset, -inset, -inset);
        QRadialGradient glow(dome.center(), dome.width() / 2.0,
                             dome.center() - QPointF(dome.width() * 0.18, dome.height() * 0.18));
        glow.setColorAt(0.0, colour.lighter(165));
        glow.setColorAt(0.65, colour);
        glow.setColorAt(1.0, colour.darker(170));
        painter.setBrush(glow);
        painter.drawEllipse(dome);

        const QRectF shine(dome.left() + dome.width() * 0.22, dome.top() + dome.height() * 0.1,
                           dome.width() * 0.56, dome.height() * 0.34);
        QLinearGradient gloss(shine.topLeft(), shine.bottomLeft());
        gloss.setColorAt(0.0, QColor(255, 255, 255, 170));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        painter.setBrush(gloss);
        painter.drawEllipse(shine);
    }

    static void PaintBitmap(QPainter& painter, const QRectF& square, const QColor& colour) {
        const qreal side = square.width();
        const qreal pen = std::max<qreal>(1.0, side / 16.0);
        const QRectF led = square.adjusted(side * 0.1, side * 0.1, -side * 0.1, -side * 0.1);
        painter.setPen(QPen(colour.darker(200), pen));
        painter.setBrush(colour);
        painter.drawEllipse(led);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 140));
        painter.drawEllipse(QRectF(led.left() + led.width() * 0.25, led.top() + led.height() * 0.18,
                                   led.width() * 0.32, led.height() * 0.26));
    }

    QColor m_colour;
    Style m_style;
};

// The application icon: a receiver front panel with an antenna and two
// channel lamps, on a dark blue tile.
class ApplicationIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QRectF square = DrawingSquare(rect);
        const qreal s = square.width();
        if (s < 1)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->translate(square.topLeft());

        QLinearGradient tile(0, 0, 0, s);
        tile.setColorAt(0.0, ForMode(QColor(44, 86, 140), mode));
        tile.setColorAt(1.0, ForMode(QColor(16, 36, 66), mode));
        painter->setPen(Qt::NoPen);
        painter->setBrush(tile);
        painter->drawRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.18,
                                 s * 0.18);

        // Radio waves around the antenna tip.
        const QPointF tip(s * 0.5, s * 0.34);
        QPen wave(ForMode(QColor(150, 205, 255), mode), std::max<qreal>(1.0, s * 0.05));
        wave.setCapStyle(Qt::RoundCap);
        painter->setPen(wave);
        painter->setBrush(Qt::NoBrush);
        for (int ring = 1; ring <= 2; ++ring) {
            const qreal r = s * 0.11 * ring;
            const QRectF arc(tip.x() - r, tip.y() - r, 2 * r, 2 * r);
            painter->drawArc(arc, 30 * 16, 120 * 16);
        }

        // Antenna mast.
        QPen mast(ForMode(QColor(235, 240, 248), mode), std::max<qreal>(1.0, s * 0.06));
        mast.setCapStyle(Qt::RoundCap);
        painter->setPen(mast);
        painter->drawLine(tip, QPointF(s * 0.5, s * 0.58));

        // Receiver body with its two channel lamps.
        painter->setPen(Qt::NoPen);
        painter->setBrush(ForMode(QColor(220, 226, 235), mode));
        painter->drawRoundedRect(QRectF(s * 0.16, s * 0.58, s * 0.68, s * 0.24), s * 0.05,
                                 s * 0.05);
        painter->setBrush(ForMode(QColor(40, 170, 90), mode));
        painter->drawEllipse(QRectF(s * 0.25, s * 0.64, s * 0.12, s * 0.12));
        painter->drawEllipse(QRectF(s * 0.43, s * 0.64, s * 0.12, s * 0.12));
        painter->setBrush(ForMode(QColor(60, 70, 85), mode));
        painter->drawRect(QRectF(s * 0.62, s * 0.67, s * 0.15, s * 0.06));
        painter->setBrush(ForMode(QColor(255, 255, 255), mode));
        painter->drawEllipse(QRectF(tip.x() - s * 0.04, tip.y() - s * 0.04, s * 0.08, s * 0.08));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return RenderToPixmap(*this, size, mode, state);
    }

    QIconEngine* clone() const override { return new ApplicationIconEngine; }
    QString key() const override { return QStringLiteral("vx18d-application"); }
};

QIcon Lamp(QColor colour, LampEngine::Style style) {
    return QIcon(new LampEngine(colour, style)); // the icon owns its engine
}

} // namespace

QIcon LoadImageResource(int resourceId) {
    switch (resourceId) {
    case IDR_MAINFRAME:
        return QIcon(new ApplicationIconEngine);
    case IDI_LAMP_GREEN:
        return Lamp(QColor(30, 200, 60), LampEngine::Style::Icon);
    case IDI_LAMP_RED:
        return Lamp(QColor(220, 40, 35), LampEngine::Style::Icon);
    case IDI_LAMP_GREY:
        return Lamp(QColor(150, 150, 150), LampEngine::Style::Icon);
    case IDI_LAMP_YELLOW:
        return Lamp(QColor(245, 200, 20), LampEngine::Style::Icon);
    case IDB_LED_GREEN:
        return Lamp(QColor(30, 200, 60), LampEngine::Style::Bitmap);
    case IDB_LED_GREY:
        return Lamp(QColor(150, 150, 150), LampEngine::Style::Bitmap);
    default:
        return QIcon();
    }
}

} // namespace vx::ui
