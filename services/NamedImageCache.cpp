#include "NamedImageCache.h"

void NamedImageCache::setOriginalImage(const QString& name, const QImage& image)
{
    setOriginal(name, QImageQPixmap(image));
}

void NamedImageCache::setOriginalPixmap(const QString& name, const QPixmap& pixmap)
{
    setOriginal(name, QImageQPixmap(pixmap));
}

void NamedImageCache::setOriginal(const QString& name, const QImageQPixmap& base)
{
    QList<QImageQPixmap>& pictures = entries[name];
    pictures.clear();
    if (base.size.width() >= 1)
        pictures.append(base);
}

QImageQPixmap NamedImageCache::getImageAndPixmap(const QString& name, const QSize& size)
{
    const auto found = entries.find(name);
    if (found == entries.end() || found->isEmpty())
        return QImageQPixmap();
    QList<QImageQPixmap>& pictures = *found;
    if (size.width() <= 0)
        return pictures.first();
    const QImageQPixmap stored = get(pictures, size);
    if (stored.size == size)
        return stored;
    QImageQPixmap scaled(pictures.first().pixmap.scaled(size, aspectRatioMode, transformationMode));
    scaled.size = size;
    if (pictures.size() > MaxScaledCopies)
        pictures.removeAt(1);
    pictures.append(scaled);
    return scaled;
}

QImage NamedImageCache::getImage(const QString& name, const QSize& size)
{
    return getImageAndPixmap(name, size).image;
}

QPixmap NamedImageCache::getPixmap(const QString& name, const QSize& size)
{
    return getImageAndPixmap(name, size).pixmap;
}

QImageQPixmap NamedImageCache::get(const QList<QImageQPixmap>& entries, const QSize& size)
{
    for (const QImageQPixmap& entry : entries)
        if (entry.size == size)
            return entry;
    return QImageQPixmap();
}
