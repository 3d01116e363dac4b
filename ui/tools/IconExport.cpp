// vx18d-icon-export: writes the application icon, which the program draws in
// code, as the files a desktop looks for: PNG files at the hicolor theme's
// sizes and one scalable SVG. Run at build time; the files are installed into
// share/icons/hicolor.
//
//   vx18d-icon-export DIR NAME   writes DIR/<size>x<size>/NAME.png and DIR/scalable/NAME.svg
#include "ui/IndicatorImages.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <array>
#include <cstdio>

namespace {

constexpr std::array<int, 8> kSizes{16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kSvgSide = 256;

bool WritePng(const QIcon& icon, const QString& dir, const QString& name, int side) {
    const QString folder = QStringLiteral("%1/%2x%2").arg(dir).arg(side);
    if (!QDir().mkpath(folder))
        return false;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        icon.paint(&painter, QRect(0, 0, side, side));
    }
    return image.save(folder + "/" + name + ".png", "PNG");
}

bool WriteSvg(const QIcon& icon, const QString& dir, const QString& name) {
    const QString folder = dir + "/scalable";
    if (!QDir().mkpath(folder))
        return false;
    QSvgGenerator svg;
    svg.setFileName(folder + "/" + name + ".svg");
    svg.setSize(QSize(kSvgSide, kSvgSide));
    svg.setViewBox(QRect(0, 0, kSvgSide, kSvgSide));
    svg.setTitle(QStringLiteral("VX18D"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    icon.paint(&painter, QRect(0, 0, kSvgSide, kSvgSide));
    return painter.end();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vx18d-icon-export DIR NAME\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QIcon icon = vx::ui::LoadImageResource(vx::ui::IDR_MAINFRAME);
    for (const int side : kSizes) {
        if (!WritePng(icon, dir, name, side)) {
            std::fprintf(stderr, "vx18d-icon-export: cannot write the %dx%d icon into %s\n", side,
                         side, argv[1]);
            return 1;
        }
    }
    if (!WriteSvg(icon, dir, name)) {
        std::fprintf(stderr, "vx18d-icon-export: cannot write the scalable icon into %s\n",
                     argv[1]);
        return 1;
    }
    return 0;
}
