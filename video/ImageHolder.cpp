#include "ImageHolder.h"

namespace {

QImage filled(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    image.fill(colour);
    return image;
}

} // namespace

ImageHolder::ImageHolder(QObject* parent)
    : QObject(parent)
    , image(filled(3, 2, Qt::gray))
{
}

void ImageHolder::setImage(QImage newImage)
{
    image = newImage.copy();
    setWidth(image.width());
    setHeight(image.height());
    emit imageChanged();
}

void ImageHolder::setPixmap(const QPixmap& pixmap)
{
    setImage(pixmap.toImage());
}

void ImageHolder::setEmptyImage(QColor colour)
{
    setImage(filled(10, 10, colour));
}

QImage ImageHolder::getImage() const
{
    return image;
}

void ImageHolder::setWidth(int newWidth)
{
    if (width == newWidth)
        return;
    width = newWidth;
    emit widthChanged(width);
}

void ImageHolder::setHeight(int newHeight)
{
    if (height == newHeight)
        return;
    height = newHeight;
    emit heightChanged(height);
}

int ImageHolder::getWidth() const
{
    return width;
}

int ImageHolder::getHeight() const
{
    return height;
}
