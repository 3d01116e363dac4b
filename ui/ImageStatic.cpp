#include "ui/ImageStatic.h"

#include "ui/IndicatorImages.h"

#include <QPainter>

namespace vx::ui {

ImageStatic::ImageStatic(int imageId, QWidget* parent)
    : QWidget(parent), m_imageId(imageId), m_image(LoadImageResource(imageId)) {}

QSize ImageStatic::sizeHint() const {
    return QSize(32, 32);
}

void ImageStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_image.paint(&painter, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

} // namespace vx::ui
