#include "ImageWidget.h"

#include <QPainter>

ImageWidget::ImageWidget(QWidget* parent)
    : QWidget(parent)
{
}

void ImageWidget::setImage(const QImage& newImage)
{
    image = newImage;
    update();
}

QImage ImageWidget::getImage() const
{
    return image;
}

void ImageWidget::setTransformationMode(Qt::TransformationMode mode)
{
    transformationMode = mode;
    update();
}

QRect ImageWidget::fittedRect(QSize image, QSize widget)
{
    const double ratio = double(image.width()) / image.height();
    const double widgetRatio = double(widget.width()) / widget.height();
    if (ratio > widgetRatio) {
        const int h = int(widget.width() / ratio);
        return QRect(0, (widget.height() - h) / 2, widget.width(), h);
    }
    const int w = int(widget.height() * ratio);
    return QRect((widget.width() - w) / 2, 0, w, widget.height());
}

void ImageWidget::drawScaled(QPainter& painter, const QRect& target, const QImage& image, Qt::TransformationMode mode)
{
    // The painter scales while drawing, so no scaled copy of the image is made on every paint.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, mode == Qt::SmoothTransformation);
    painter.drawImage(target, image);
}

void ImageWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!painter.isActive())
        return;
    painter.fillRect(rect(), Qt::transparent);
    if (image.isNull())
        return;
    const QRect target = fittedRect(image.size(), size());
    if (!target.isEmpty())
        drawScaled(painter, target, image, transformationMode);
}
