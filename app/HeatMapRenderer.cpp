#include "HeatMapRenderer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using GradientStops = QList<QPair<qreal, QColor>>;

GradientStops paletteStops(int palette)
{
    const QColor clear(0, 0, 0, 0);
    switch (palette) {
    case 1:
        return {{0.0, Qt::black}, {1.0, clear}};
    case 2:
        return {{0.05, Qt::blue}, {0.3, Qt::green}, {0.6, Qt::yellow}, {0.95, Qt::red}};
    case 3:
        return {{0.05, QColor(0, 0, 255, 0)},
                {0.2, QColor(0, 0, 255, 128)},
                {0.4, Qt::green},
                {0.6, Qt::yellow},
                {0.95, Qt::red}};
    case 4:
        return {{0.0, clear}, {1.0, Qt::white}};
    case 5:
        return {{0.0, Qt::white}, {1.0, clear}};
    default:
        return {{0.0, clear}, {1.0, Qt::black}};
    }
}

quint32 packedBytes(const QColor& colour)
{
    const uchar bytes[4] = {uchar(colour.red()), uchar(colour.green()), uchar(colour.blue()), uchar(colour.alpha())};
    quint32 value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// A whole run's map takes long enough to hold up the window; from this many points on, its rows
// are shared out among a few threads.
constexpr qsizetype pointsWorthSharing = 2000;
constexpr int mostThreads = 4;

struct Band
{
    int from;
    int to;
};

// Each count adds its kernel, scaled by the count, on the offsets -r .. r - 1 around its cell;
// only the sums of the rows in `rows` are written.
void spreadCounts(const quint32* counts, quint32* sums, int width, int height, const quint32* kernel, int r, Band rows)
{
    const int side = 2 * r + 1;
    for (int y = std::max(0, rows.from - r + 1); y < std::min(height, rows.to + r); ++y) {
        const int dyFrom = std::max(-r, rows.from - y);
        const int dyTo = std::min(r - 1, rows.to - 1 - y);
        for (int x = 0; x < width; ++x) {
            const quint32 count = counts[qsizetype(y) * width + x];
            if (count == 0)
                continue;
            const int dxFrom = std::max(-r, -x);
            const int dxTo = std::min(r - 1, width - 1 - x);
            for (int dy = dyFrom; dy <= dyTo; ++dy) {
                quint32* __restrict target = sums + qsizetype(y + dy) * width + x;
                const quint32* __restrict weights = kernel + qsizetype(r + dy) * side + r;
                for (int dx = dxFrom; dx <= dxTo; ++dx)
                    target[dx] += count * weights[dx];
            }
        }
    }
}

bool isGridAccepted(int width, int height)
{
    return width >= 1 && height >= 1 && qint64(width) * height <= HeatMapRenderer::largestGrid;
}

} // namespace

HeatMapRenderer::HeatMapRenderer(int radius, int palette, double opacity)
    : opacity(std::clamp(opacity, 0.0, 1.0))
{
    setRadius(radius);
    setPalette(palette);
}

// The weight of each offset is the red of a disc painted from full red at the centre to none
// at the rim.
void HeatMapRenderer::setRadius(int radius)
{
    if (radius == kernelRadius || radius < 1)
        return;
    kernelRadius = radius;
    const int side = 2 * radius + 1;
    QImage disc(side, side, QImage::Format_RGBA8888);
    disc.fill(Qt::transparent);
    {
        QPainter painter(&disc);
        QRadialGradient gradient(QPointF(radius, radius), radius);
        gradient.setColorAt(0.0, QColor(255, 0, 0, 255));
        gradient.setColorAt(1.0, QColor(0, 0, 0, 255));
        painter.setPen(Qt::NoPen);
        painter.fillRect(QRect(0, 0, side, side), gradient);
    }
    kernel.resize(qsizetype(side) * side);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x)
            kernel[y * side + x] = quint32(disc.pixelColor(x, y).red());
    }
}

void HeatMapRenderer::setPalette(int palette)
{
    paletteNumber = palette;
    QImage strip(paletteSize, 10, QImage::Format_RGBA8888);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        QLinearGradient gradient(0, 0, paletteSize, 0);
        gradient.setStops(paletteStops(palette));
        painter.fillRect(strip.rect(), gradient);
    }
    colours.clear();
    packed.clear();
    for (int i = 0; i < paletteSize; ++i) {
        QColor colour = strip.pixelColor(i, 1);
        colour.setAlpha(int(colour.alpha() * opacity));
        colours.append(colour);
        packed.append(packedBytes(colour));
    }
}

QImage HeatMapRenderer::render(const QList<QPoint>& points, int width, int height, int binWidth, int binHeight) const
{
    if (!isGridAccepted(width, height))
        return QImage();
    QList<quint32> counts = countPoints(points, width, height);
    if (binWidth > 1 || binHeight > 1)
        counts = binCounts(counts, width, height, binWidth, binHeight);
    const int threads =
        points.size() < pointsWorthSharing ? 1 : std::clamp(int(std::thread::hardware_concurrency()), 1, mostThreads);
    return colour(spread(counts, width, height, threads), width, height);
}

QList<quint32> HeatMapRenderer::countPoints(const QList<QPoint>& points, int width, int height) const
{
    QList<quint32> counts(qsizetype(width) * height, 0);
    for (qsizetype i = std::max<qsizetype>(0, points.size() - mostPoints); i < points.size(); ++i) {
        const QPoint& point = points.at(i);
        if (point.x() >= 0 && point.x() < width && point.y() >= 0 && point.y() < height)
            ++counts[qsizetype(point.y()) * width + point.x()];
    }
    return counts;
}

// Each cell's count goes to the middle cell of its bin; a middle cell past the grid's edge
// drops it.
QList<quint32> HeatMapRenderer::binCounts(const QList<quint32>& counts, int width, int height, int binWidth,
                                          int binHeight)
{
    const auto binned = [](int at, int bin) { return bin > 1 ? at - at % bin + bin / 2 : at; };
    QList<quint32> bins(counts.size(), 0);
    for (int y = 0; y < height; ++y) {
        const int binY = binned(y, binHeight);
        for (int x = 0; x < width; ++x) {
            const int binX = binned(x, binWidth);
            if (binX < width && binY < height)
                bins[qsizetype(binY) * width + binX] += counts.at(qsizetype(y) * width + x);
        }
    }
    return bins;
}

QList<quint32> HeatMapRenderer::spread(const QList<quint32>& counts, int width, int height, int threads) const
{
    QList<quint32> sums(counts.size(), 0);
    const auto spreadRows = [&](int band) {
        const Band rows{height * band / threads, height * (band + 1) / threads};
        spreadCounts(counts.constData(), sums.data(), width, height, kernel.constData(), kernelRadius, rows);
    };
    std::vector<std::thread> helpers;
    for (int band = 1; band < threads; ++band)
        helpers.emplace_back(spreadRows, band);
    spreadRows(0);
    for (std::thread& helper : helpers)
        helper.join();
    return sums;
}

QImage HeatMapRenderer::colour(const QList<quint32>& sums, int width, int height) const
{
    const quint64 largest = sums.isEmpty() ? 0 : *std::max_element(sums.cbegin(), sums.cend());
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull())
        return image;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        const quint32* sum = sums.constData() + qsizetype(y) * width;
        for (int x = 0; x < width; ++x) {
            const quint64 entry = largest == 0 ? 0 : quint64(sum[x]) * paletteSize / largest;
            line[x] = packed.at(qsizetype(std::min<quint64>(entry, paletteSize - 1)));
        }
    }
    return image;
}
