#include "ImageWidget.h"

#include <QPainter>

ImageWidget::ImageWidget(QWidget* parent)
    : QWidget(parent)
{
}

void ImageWidget::setImage(const QImage& newImage)
{
    image = newImage;
    repaint();
}

QImage ImageWidget::getImage() const
{
    return image;
}

void ImageWidget::setTransformationMode(Qt::TransformationMode mode)
{
    transformationMode = mode;
    repaint();
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

void ImageWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!painter.isActive())
        return;
    painter.fillRect(rect(), Qt::transparent);
    if (image.isNull() || width() < 1 || height() < 1)
        return;
    const QRect target = fittedRect(image.size(), size());
    if (target.width() < 1 || target.height() < 1)
        return;
    painter.drawImage(target.topLeft(), image.scaled(target.size(), Qt::KeepAspectRatio,
                                                     transformationMode));
}
