#pragma once

#include <QColor>
#include <QImage>

class ImageUtilities
{
public:
    // A width x height image of the format filled with the colour; null when either is 0.
    static QImage cleanImage(uint width, uint height, QColor colour, QImage::Format format);
};
