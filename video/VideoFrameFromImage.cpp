#include "VideoFrameFromImage.h"

#include <QVideoFrameFormat>

#include <algorithm>
#include <cstring>

QVideoFrame videoFrameFromImage(const QImage& image)
{
    if (image.isNull())
        return QVideoFrame();
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    QVideoFrame frame(QVideoFrameFormat(rgb.size(), QVideoFrameFormat::pixelFormatFromImageFormat(rgb.format())));
    if (!frame.map(QVideoFrame::WriteOnly))
        return QVideoFrame();
    // The frame's rows may be padded differently from the image's.
    const size_t rowBytes = size_t(std::min<qsizetype>(rgb.bytesPerLine(), frame.bytesPerLine(0)));
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(frame.bits(0) + qsizetype(y) * frame.bytesPerLine(0), rgb.constScanLine(y), rowBytes);
    frame.unmap();
    return frame;
}
