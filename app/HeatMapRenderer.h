#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>

// Turns points into a heat map: the points are counted per cell of a grid, each count is spread
// over its neighbourhood by a radial kernel, and the sums, scaled so that the largest is the
// palette's last entry, are coloured through a palette of 1024 entries.
class HeatMapRenderer
{
public:
    static constexpr int paletteSize = 1024;
    // Larger grids are refused: no camera frame comes near, and the sums must fit in memory.
    static constexpr qint64 largestGrid = 4096 * 4096;
    // The most points whose sums cannot overflow; of more, the newest are taken.
    static constexpr qsizetype mostPoints = 0xFFFFFFFFu / 255;

    // Palettes: 1 black fading out, 2 blue-green-yellow-red, 3 the same rising out of
    // transparency, 4 transparent to white, 5 white fading out, any other transparent to black.
    // The opacity (0 .. 1) scales every palette entry's alpha.
    HeatMapRenderer(int radius, int palette, double opacity);

    void setRadius(int radius);
    void setPalette(int palette);
    int radius() const { return kernelRadius; }
    QColor paletteColor(int entry) const { return colours.at(entry); }

    // A grid of width x height cells (image pixels), with points binned into cells of binWidth x
    // binHeight; points outside the grid are left out. A null image for an empty or too large
    // grid.
    QImage render(const QList<QPoint>& points, int width, int height, int binWidth, int binHeight) const;

private:
    QList<quint32> countPoints(const QList<QPoint>& points, int width, int height) const;
    static QList<quint32> binCounts(const QList<quint32>& counts, int width, int height, int binWidth, int binHeight);
    // Shares the rows out among `threads` threads (the caller's among them).
    QList<quint32> spread(const QList<quint32>& counts, int width, int height, int threads) const;
    QImage colour(const QList<quint32>& sums, int width, int height) const;

    int kernelRadius = 0;
    // (2 r + 1) x (2 r + 1) weights 0 .. 255, row by row.
    QList<quint32> kernel;
    int paletteNumber = 0;
    double opacity = 1.0;
    QList<QColor> colours;
    // The same colours as R, G, B, A bytes in memory order, ready to be copied into an image.
    QList<quint32> packed;
};
