#pragma once

#include "QImageQPixmap.h"

#include <QList>
#include <QMap>
#include <QSize>
#include <QString>

// Pictures kept under names, each as a base picture and as scaled copies made on demand, so that
// a widget painting the same picture at a few sizes scales it once per size. Scaling keeps the
// aspect ratio and smooths. Only the MaxScaledCopies sizes asked for last are kept per name, so a
// widget that keeps resizing does not grow the cache without end. User-interface thread only.
class NamedImageCache
{
public:
    static constexpr int MaxScaledCopies = 8;

    // Replaces the name's pictures by the base picture; a picture of width 0 leaves the name
    // without pictures.
    void setOriginalImage(const QString& name, const QImage& image);
    void setOriginalPixmap(const QString& name, const QPixmap& pixmap);
    // The picture scaled into the size, made once per size; the base picture for a width of 0
    // or less; an empty record for an unknown name.
    QImageQPixmap getImageAndPixmap(const QString& name, const QSize& size);
    QImage getImage(const QString& name, const QSize& size);
    QPixmap getPixmap(const QString& name, const QSize& size);

protected:
    // The first entry found under the size, else an empty record.
    static QImageQPixmap get(const QList<QImageQPixmap>& entries, const QSize& size);

private:
    void setOriginal(const QString& name, const QImageQPixmap& base);

    Qt::TransformationMode transformationMode = Qt::SmoothTransformation;
    Qt::AspectRatioMode aspectRatioMode = Qt::KeepAspectRatio;
    QMap<QString, QList<QImageQPixmap>> entries;
};
