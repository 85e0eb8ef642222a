#include "QImageQPixmap.h"

QImageQPixmap::QImageQPixmap(const QImage& image)
    : image(image)
    , pixmap(QPixmap::fromImage(image))
    , size(image.size())
{
}

QImageQPixmap::QImageQPixmap(const QPixmap& pixmap)
    : image(pixmap.toImage())
    , pixmap(pixmap)
    , size(pixmap.size())
{
}
