#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

#include <utility>

// One 4-connected region of a mask: its points in scan order and, once filtered by
// UCharMat::maskFromRegions, its bounding box.
struct UCharMatRegion
{
    int reserved0 = 0;
    int reserved1 = 0;
    QList<QPoint> points;
    int minX = 0;
    int maxX = 0;
    int minY = 0;
    int maxY = 0;
    int reserved2 = 0;
    int reserved3 = 0;
};

// A byte-per-pixel matrix with the few operations the animal detector chains on every frame.
// Masks hold 0 for off and any other value for on.
//
// The windows of erode and dilate keep their historical shapes (erode's window is anchored at
// the pixel and runs on linearly into the next row; dilate skips the last k rows and columns),
// because recorded detection results depend on them.
class UCharMat
{
public:
    QByteArray data;
    int width = 0;
    int height = 0;
    qint64 reserved = -1;

    UCharMat() = default;
    UCharMat(int width, int height, uchar fill);

    // Margins in per cent of the height (top and bottom) and width (left and right) stay 0.
    // Images of other formats are converted to grey levels first.
    static UCharMat fromQImage(const QImage& image, double marginTopBottomPercent, double marginLeftRightPercent);

    static UCharMat combineMask(const UCharMat& current, const UCharMat& reference, uchar threshold, int mode,
                                uchar maxReference, uchar onValue, uchar offValue, qint64* count = nullptr);

    UCharMat erode(int k) const;
    UCharMat dilate(int k) const;

    // 4-connected regions of more than minCount points, in the order of the labels a scan with
    // whole-array relabelling on every merge would leave; labels are 32-bit and never wrap.
    QList<UCharMatRegion> labelRegions(unsigned int minCount) const;

    static UCharMat maskFromRegions(int width, int height, QList<UCharMatRegion>& regions, int minArea, uchar paint,
                                    uchar fill, QPoint* median, QRect* rect, unsigned int* total, bool filter);

    int meanAbove(int threshold) const;

    // For an odd width the right half takes the extra column, so no column is lost.
    std::pair<UCharMat, UCharMat> splitHalves() const;

    QImage toQImage(QColor on, QColor background) const;

    const uchar* bytes() const { return reinterpret_cast<const uchar*>(data.constData()); }
    uchar* bytes() { return reinterpret_cast<uchar*>(data.data()); }
    uchar at(int x, int y) const { return bytes()[qsizetype(y) * width + x]; }
};
