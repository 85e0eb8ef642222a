#include "UCharMat.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uchar>;

// Sixteen bytes handled as one value; the compilers map it to the SIMD registers of the
// target, so the per-byte loops below run a vector at a time even at -O2.
using Vec = uchar __attribute__((vector_size(16)));
constexpr qsizetype vecBytes = 16;

Vec load(const uchar* bytes)
{
    Vec v;
    std::memcpy(&v, bytes, vecBytes);
    return v;
}

void store(uchar* bytes, Vec v)
{
    std::memcpy(bytes, &v, vecBytes);
}

Vec splat(uchar value)
{
    Vec v;
    std::memset(&v, value, vecBytes);
    return v;
}

// out[i] = op(a[i], b[i]); op is written once for bytes and vectors alike.
template <typename Op>
void pairwise(const uchar* a, const uchar* b, uchar* out, qsizetype n, Op op)
{
    qsizetype i = 0;
    for (; i + vecBytes <= n; i += vecBytes)
        store(out + i, Vec(op(load(a + i), load(b + i))));
    for (; i < n; ++i)
        out[i] = uchar(op(a[i], b[i]));
}

const auto andOp = [](auto a, auto b) { return a & b; };
const auto orOp = [](auto a, auto b) { return a | b; };

// out[b] = op of in[b + j * stride] over j < k, for b < n; `in` must be readable for
// n + (k - 1) * stride bytes. Windows are built by doubling (1, 2, 4, ... then one overlapping
// step), so the cost grows with log k and every pass is a plain vector loop.
template <typename Op>
void slidingWindow(const uchar* in, uchar* out, qsizetype n, int k, qsizetype stride, Op op)
{
    thread_local Bytes ping;
    thread_local Bytes pong;
    const uchar* current = in;
    qsizetype length = n + qsizetype(k - 1) * stride;
    int span = 1;
    bool usePing = true;
    while (2 * span <= k) {
        const qsizetype shift = qsizetype(span) * stride;
        const qsizetype nextLength = length - shift;
        Bytes& target = usePing ? ping : pong;
        if (qsizetype(target.size()) < nextLength)
            target.resize(nextLength);
        pairwise(current, current + shift, target.data(), nextLength, op);
        current = target.data();
        length = nextLength;
        span *= 2;
        usePing = !usePing;
    }
    pairwise(current, current + qsizetype(k - span) * stride, out, n, op);
}

// 1 for every non-zero byte, 0 otherwise.
void binarise(const uchar* in, uchar* out, qsizetype n)
{
    const Vec zero = splat(0);
    const Vec one = splat(1);
    qsizetype i = 0;
    for (; i + vecBytes <= n; i += vecBytes)
        store(out + i, Vec(load(in + i) != zero) & one);
    for (; i < n; ++i)
        out[i] = in[i] != 0;
}

// Sum of the sixteen bytes of a vector.
int sumBytes(Vec v)
{
    uchar bytes[vecBytes];
    std::memcpy(bytes, &v, vecBytes);
    int sum = 0;
    for (uchar b : bytes)
        sum += b;
    return sum;
}

// The difference of each pixel to its reference, per mode of `combineMask`: 2 counts only
// brighter pixels, 1 only darker ones, any other mode both.
uchar difference(uchar current, uchar reference, int mode)
{
    switch (mode) {
    case 2:
        return current > reference ? current - reference : 0;
    case 1:
        return reference > current ? reference - current : 0;
    default:
        return current > reference ? current - reference : reference - current;
    }
}

// The same sixteen pixels at a time; vector comparisons give 0x00 / 0xFF bytes.
Vec difference(Vec current, Vec reference, int mode)
{
    const Vec brighter = Vec(current > reference);
    const Vec darker = Vec(reference > current);
    switch (mode) {
    case 2:
        return Vec(current - reference) & brighter;
    case 1:
        return Vec(reference - current) & darker;
    default:
        return (Vec(current - reference) & brighter) | (Vec(reference - current) & darker);
    }
}

qint64 combineRun(const uchar* current, const uchar* reference, uchar* out, qsizetype n, uchar threshold, int mode,
                  uchar maxReference, uchar onValue, uchar offValue)
{
    const Vec thresholdV = splat(threshold);
    const Vec maxReferenceV = splat(maxReference);
    const Vec onV = splat(onValue);
    const Vec offV = splat(offValue);
    qint64 count = 0;
    qsizetype i = 0;
    while (i + vecBytes <= n) {
        // Hits are counted per byte lane (a hit is 0xFF, so subtracting it adds one) and
        // summed up before a lane can overflow.
        Vec hits = splat(0);
        for (int round = 0; round < 255 && i + vecBytes <= n; ++round, i += vecBytes) {
            const Vec r = load(reference + i);
            // Pixels where the reference is brighter than maxReference never count.
            const Vec d = difference(load(current + i), r, mode) & ~Vec(r > maxReferenceV);
            const Vec hit = Vec(d > thresholdV);
            store(out + i, (onV & hit) | (offV & ~hit));
            hits -= hit;
        }
        count += sumBytes(hits);
    }
    for (; i < n; ++i) {
        const uchar d = reference[i] > maxReference ? 0 : difference(current[i], reference[i], mode);
        const bool hit = d > threshold;
        out[i] = hit ? onValue : offValue;
        count += hit;
    }
    return count;
}

// Scratch memory kept per thread between frames: fresh multi-megabyte buffers on every call
// would cost more in page faults than the work done in them. Bytes from `from` on are set to
// fill; the caller writes the ones before.
uchar* scratch(Bytes& buffer, qsizetype size, uchar fill, qsizetype from = 0)
{
    if (qsizetype(buffer.size()) < size)
        buffer.resize(size);
    std::memset(buffer.data() + from, fill, size - from);
    return buffer.data();
}

UCharMat uninitialised(int width, int height)
{
    UCharMat result;
    result.width = width;
    result.height = height;
    result.data = QByteArray(qsizetype(width) * height, Qt::Uninitialized);
    return result;
}

double clampedPercent(double percent)
{
    if (std::isnan(percent))
        return 0;
    return std::clamp(percent, 0.0, 50.0);
}

// Union-find over provisional labels. A merge always renames the set of the current pixel
// to the label of its neighbour, so the surviving label of every region is the one the
// whole-array relabelling would leave, at near-linear cost.
class LabelForest
{
public:
    quint32 add()
    {
        const quint32 label = quint32(parent.size());
        parent.push_back(label);
        return label;
    }

    quint32 find(quint32 label)
    {
        while (parent[label] != label) {
            parent[label] = parent[parent[label]];
            label = parent[label];
        }
        return label;
    }

    void rename(quint32 from, quint32 to) { parent[from] = to; }
    qsizetype size() const { return qsizetype(parent.size()); }

private:
    std::vector<quint32> parent{0};
};

// Index of the next non-zero byte at or after `from`, or `end`.
qsizetype nextNonZero(const uchar* bytes, qsizetype from, qsizetype end)
{
    while (from < end && (from & 7) != 0 && bytes[from] == 0)
        ++from;
    while (from + 32 <= end) {
        quint64 words[4];
        std::memcpy(words, bytes + from, 32);
        if ((words[0] | words[1] | words[2] | words[3]) != 0)
            break;
        from += 32;
    }
    while (from + 8 <= end) {
        quint64 word;
        std::memcpy(&word, bytes + from, 8);
        if (word != 0)
            break;
        from += 8;
    }
    while (from < end && bytes[from] == 0)
        ++from;
    return from;
}

struct QuantileWalk
{
    int first = -1;
    int median = -1;
    int last = -1;
};

// Walks the counts until the running total reaches six eighths; the first eighth, the half
// and that stop position are recorded.
QuantileWalk walkCounts(const std::vector<int>& counts, unsigned int sum)
{
    const qint64 eighth = sum / 8;
    const qint64 half = sum / 2;
    QuantileWalk walk;
    qint64 running = 0;
    for (int i = 0; i < int(counts.size()); ++i) {
        running += counts[i];
        if (walk.first < 0 && running >= eighth)
            walk.first = i;
        if (walk.median < 0 && running >= half)
            walk.median = i;
        if (running >= 6 * eighth) {
            walk.last = i;
            break;
        }
    }
    return walk;
}

bool isNearMedian(const UCharMatRegion& region, QPoint median, int width)
{
    const int cx = (region.minX + region.maxX) / 2;
    const int cy = (region.minY + region.maxY) / 2;
    const double dx = double(cx) - median.x();
    const double dy = double(cy) - median.y();
    return qint64(std::sqrt(dx * dx + dy * dy)) < width / 3;
}

} // namespace

UCharMat::UCharMat(int width, int height, uchar fill)
    : data(qsizetype(qMax(width, 0)) * qMax(height, 0), char(fill))
    , width(qMax(width, 0))
    , height(qMax(height, 0))
{
}

UCharMat UCharMat::fromQImage(const QImage& image, double marginTopBottomPercent, double marginLeftRightPercent)
{
    if (image.isNull()) {
        qDebug() << "IMG NULL FOR UCHARMAT";
        return UCharMat();
    }
    QImage grey = image;
    if (image.format() != QImage::Format_Grayscale8) {
        qDebug() << "IMG NOT GRAYSCALE!";
        // Reading the bytes of another format as grey levels gives nonsense, and for formats of
        // fewer than 8 bits per pixel it would read past the rows.
        grey = image.convertToFormat(QImage::Format_Grayscale8);
    }
    const int w = grey.width();
    const int h = grey.height();
    const int hMargin = int(w * clampedPercent(marginLeftRightPercent) / 100);
    const int vMargin = int(h * clampedPercent(marginTopBottomPercent) / 100);
    UCharMat result(w, h, 0);
    if (vMargin > h - vMargin)
        return result;
    const int columns = w - 2 * hMargin;
    if (columns <= 0)
        return result;
    uchar* out = result.bytes();
    for (int y = vMargin; y < h - vMargin; ++y)
        std::memcpy(out + qsizetype(y) * w + hMargin, grey.constScanLine(y) + hMargin, columns);
    return result;
}

UCharMat UCharMat::combineMask(const UCharMat& current, const UCharMat& reference, uchar threshold, int mode,
                               uchar maxReference, uchar onValue, uchar offValue, qint64* count)
{
    const int w = qMax(qMin(current.width, reference.width), 0);
    const int h = qMax(qMin(current.height, reference.height), 0);
    UCharMat result = uninitialised(w, h);
    qint64 hits = 0;
    if (current.width == reference.width && current.height == reference.height) {
        hits = combineRun(current.bytes(), reference.bytes(), result.bytes(), result.data.size(), threshold, mode,
                          maxReference, onValue, offValue);
    } else {
        for (int y = 0; y < h; ++y) {
            hits += combineRun(current.bytes() + qsizetype(y) * current.width,
                               reference.bytes() + qsizetype(y) * reference.width, result.bytes() + qsizetype(y) * w, w,
                               threshold, mode, maxReference, onValue, offValue);
        }
    }
    if (count)
        *count = hits;
    return result;
}

UCharMat UCharMat::erode(int k) const
{
    if (width < 2 || height < 2)
        return UCharMat(width, height, 0);
    UCharMat result = uninitialised(width, height);
    const qsizetype n = data.size();
    const qsizetype coveredRows = height - 1;
    uchar* out = result.bytes();
    if (k < 1) {
        std::memset(out, 1, coveredRows * width);
    } else {
        // The window is k bytes of the linear array (running on into the next row) by k rows;
        // bytes past the end of the matrix are not looked at, so they pad as "on".
        thread_local Bytes linearBuffer;
        thread_local Bytes rowsBuffer;
        const int kLinear = int(qMin<qsizetype>(k, n));
        const int kRows = qMin(k, height);
        uchar* linear = scratch(linearBuffer, n + kLinear - 1, 1, n);
        binarise(bytes(), linear, n);
        uchar* rows = scratch(rowsBuffer, n + qsizetype(kRows - 1) * width, 1, n);
        slidingWindow(linear, rows, n, kLinear, 1, andOp);
        slidingWindow(rows, out, coveredRows * width, kRows, width, andOp);
    }
    for (qsizetype y = 0; y < coveredRows; ++y)
        out[y * width + width - 1] = 0;
    std::memset(out + coveredRows * width, 0, width);
    return result;
}

UCharMat UCharMat::dilate(int k) const
{
    if (k < 1 || width - k <= 0 || height - k <= 0)
        return UCharMat(width, height, 0);
    // Only pixels left of the last k columns and above the last k rows are dilated, each into
    // the k-square that starts r before it; an output pixel is thus on when a source pixel lies
    // between `before` pixels before it and r pixels after it, in both directions.
    const int r = k / 2;
    const int before = k - 1 - r;
    const int sourceColumns = width - k;
    const int sourceRows = height - k;
    thread_local Bytes rowBuffer;
    thread_local Bytes columnsBuffer;
    uchar* rowIn = scratch(rowBuffer, qsizetype(width) + 2 * k, 0);
    uchar* columns = scratch(columnsBuffer, qsizetype(height + k - 1) * width, 0);
    for (int y = 0; y < sourceRows; ++y) {
        const uchar* source = bytes() + qsizetype(y) * width;
        if (nextNonZero(source, 0, sourceColumns) == sourceColumns)
            continue;
        binarise(source, rowIn + before, sourceColumns);
        slidingWindow(rowIn, columns + qsizetype(before + y) * width, width, k, 1, orOp);
    }
    UCharMat result = uninitialised(width, height);
    slidingWindow(columns, result.bytes(), data.size(), k, width, orOp);
    return result;
}

QList<UCharMatRegion> UCharMat::labelRegions(unsigned int minCount) const
{
    const qsizetype n = data.size();
    const uchar* source = bytes();
    // Only foreground pixels are ever labelled; they are set back to 0 at the end, so the
    // buffer is all zeros on every entry. The foreground is listed once, in scan order, so the
    // later passes do not scan the whole matrix again.
    thread_local std::vector<quint32> labelBuffer;
    thread_local std::vector<QPoint> foreground;
    if (qsizetype(labelBuffer.size()) < n)
        labelBuffer.resize(n, 0);
    quint32* labels = labelBuffer.data();
    foreground.clear();
    LabelForest forest;
    for (int y = 0; y < height; ++y) {
        const qsizetype rowStart = qsizetype(y) * width;
        const uchar* row = source + rowStart;
        for (int x = int(nextNonZero(row, 0, width)); x < width; x = int(nextNonZero(row, x + 1, width))) {
            foreground.push_back(QPoint(x, y));
            const qsizetype p = rowStart + x;
            if (labels[p] == 0)
                labels[p] = forest.add();
            quint32 label = forest.find(labels[p]);
            const qsizetype right = p + 1;
            if (x + 1 < width && source[right] > 0) {
                if (labels[right] == 0) {
                    labels[right] = label;
                } else {
                    const quint32 neighbour = forest.find(labels[right]);
                    if (neighbour != label) {
                        forest.rename(label, neighbour);
                        label = neighbour;
                    }
                }
            }
            // The pixel below is always still unlabelled here: only this pixel reaches it first.
            const qsizetype below = p + width;
            if (below < n && source[below] > 0)
                labels[below] = label;
        }
    }

    std::vector<quint32> pointCounts(forest.size(), 0);
    for (const QPoint& point : foreground) {
        quint32& label = labels[qsizetype(point.y()) * width + point.x()];
        label = forest.find(label);
        ++pointCounts[label];
    }
    std::vector<qsizetype> regionOf(forest.size(), -1);
    QList<UCharMatRegion> regions;
    for (qsizetype label = 1; label < forest.size(); ++label) {
        if (pointCounts[label] > 0 && pointCounts[label] > minCount) {
            regionOf[label] = regions.size();
            regions.append(UCharMatRegion());
            regions.last().points.reserve(pointCounts[label]);
        }
    }
    for (const QPoint& point : foreground) {
        quint32& label = labels[qsizetype(point.y()) * width + point.x()];
        if (regionOf[label] >= 0)
            regions[regionOf[label]].points.append(point);
        label = 0;
    }
    return regions;
}

UCharMat UCharMat::maskFromRegions(int width, int height, QList<UCharMatRegion>& regions, int minArea, uchar paint,
                                   uchar fill, QPoint* median, QRect* rect, unsigned int* total, bool filter)
{
    UCharMat result(width, height, fill);
    uchar* out = result.bytes();
    std::vector<int> columnCounts(median ? result.width : 0, 0);
    std::vector<int> rowCounts(median ? result.height : 0, 0);
    unsigned int sum = 0;
    for (UCharMatRegion& region : regions) {
        if (region.points.size() < minArea)
            continue;
        if (filter) {
            region.minX = width;
            region.maxX = 0;
            region.minY = height;
            region.maxY = 0;
        }
        for (const QPoint& point : std::as_const(region.points)) {
            if (filter) {
                region.minX = qMin(region.minX, point.x());
                region.maxX = qMax(region.maxX, point.x());
                region.minY = qMin(region.minY, point.y());
                region.maxY = qMax(region.maxY, point.y());
            }
            const qint64 index = qint64(point.y()) * width + point.x();
            // A point off the matrix is refused even when its linear index would land inside,
            // as its column or row count does not exist.
            if (point.x() < 0 || point.x() >= width || point.y() < 0 || point.y() >= height) {
                qDebug() << "UCharMat"
                         << "Erroneous index" << index << width << height;
                continue;
            }
            out[index] = paint;
            if (median) {
                ++columnCounts[point.x()];
                ++rowCounts[point.y()];
                ++sum;
            }
        }
    }
    if (total)
        *total = sum;
    if (median && sum >= 1) {
        const QuantileWalk columns = walkCounts(columnCounts, sum);
        const QuantileWalk rows = walkCounts(rowCounts, sum);
        *median = QPoint(columns.median, rows.median);
        if (rect && columns.first > 0 && rows.first > 0)
            *rect = QRect(columns.first, rows.first, columns.last - columns.first, rows.last - rows.first);
    }
    if (filter && median) {
        QList<UCharMatRegion> kept;
        for (const UCharMatRegion& region : std::as_const(regions)) {
            if (region.points.size() >= minArea && isNearMedian(region, *median, width))
                kept.append(region);
        }
        regions = kept;
    }
    return result;
}

int UCharMat::meanAbove(int threshold) const
{
    qint64 sum = 0;
    qint64 count = 0;
    const uchar* source = bytes();
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (source[i] > threshold) {
            sum += source[i];
            ++count;
        }
    }
    if (count == 0)
        return 0;
    return int(qMin<qint64>(sum / count, 255));
}

std::pair<UCharMat, UCharMat> UCharMat::splitHalves() const
{
    const int leftWidth = width / 2;
    const int rightWidth = width - leftWidth;
    UCharMat left(leftWidth, height, 0);
    UCharMat right(rightWidth, height, 0);
    for (int y = 0; y < height; ++y) {
        const uchar* row = bytes() + qsizetype(y) * width;
        std::memcpy(left.bytes() + qsizetype(y) * leftWidth, row, leftWidth);
        std::memcpy(right.bytes() + qsizetype(y) * rightWidth, row + leftWidth, rightWidth);
    }
    return {left, right};
}

QImage UCharMat::toQImage(QColor on, QColor background) const
{
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull())
        return image;
    const auto rgbaWord = [](const QColor& colour) {
        const uchar bytes[4] = {uchar(colour.red()), uchar(colour.green()), uchar(colour.blue()),
                                uchar(colour.alpha())};
        quint32 word;
        std::memcpy(&word, bytes, 4);
        return word;
    };
    const quint32 onWord = rgbaWord(on);
    image.fill(background);
    uchar* bits = image.bits();
    // The overlay is mostly background: only the on pixels are visited.
    for (int y = 0; y < height; ++y) {
        const uchar* source = bytes() + qsizetype(y) * width;
        quint32* pixels = reinterpret_cast<quint32*>(bits + qsizetype(y) * image.bytesPerLine());
        for (qsizetype x = nextNonZero(source, 0, width); x < width; x = nextNonZero(source, x + 1, width))
            pixels[x] = onWord;
    }
    return image;
}
