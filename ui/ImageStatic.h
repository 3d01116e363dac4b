// A static image control: shows one of the program's images (see
// IndicatorImages.h), drawn to fit its rectangle at the screen's resolution.
#pragma once

#include <QIcon>
#include <QWidget>

namespace vx::ui {

class ImageStatic : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int imageId READ ImageId)

public:
    ImageStatic(int imageId, QWidget* parent);

    int ImageId() const { return m_imageId; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_imageId;
    QIcon m_image;
};

} // namespace vx::ui
