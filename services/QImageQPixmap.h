#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>

// One picture both as an image and as a pixmap, with the size under which a cache finds it.
class QImageQPixmap
{
public:
    QImageQPixmap() = default;
    explicit QImageQPixmap(const QImage& image);
    explicit QImageQPixmap(const QPixmap& pixmap);

    QImage image;
    QPixmap pixmap;
    QSize size;
};
