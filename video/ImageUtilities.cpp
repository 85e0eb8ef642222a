#include "ImageUtilities.h"

QImage ImageUtilities::cleanImage(uint width, uint height, QColor colour, QImage::Format format)
{
    if (width == 0 || height == 0 || width > uint(INT_MAX) || height > uint(INT_MAX))
        return QImage();
    QImage image(int(width), int(height), format);
    if (!image.isNull())
        image.fill(colour);
    return image;
}
