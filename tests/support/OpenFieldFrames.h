#pragma once

// Real camera frames of a mouse in an open field, with body points a person marked by hand, for
// the tests that detect it; they lie beside this file (openfield-mouse/README.md says which).
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QtTest>

#include <cstring>
#include <vector>

struct LabelledFrame
{
    QImage image;
    QPointF bodyCentre;
};

// Found from the folder of the test that asks, which is one of tests/<folder>/.
inline QString openFieldFolder()
{
    return QFINDTESTDATA("../support/openfield-mouse") + '/';
}

// The frames in grey; body centre = midpoint of the ear midpoint and the tail base.
inline QList<LabelledFrame> loadOpenFieldFrames()
{
    const QString folder = openFieldFolder();
    QFile labels(folder + "labels.csv");
    if (!labels.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QList<LabelledFrame> frames;
    const QList<QByteArray> lines = labels.readAll().split('\n');
    for (const QByteArray& line : lines.mid(3)) {
        const QList<QByteArray> cells = line.trimmed().split(',');
        if (cells.size() < 9)
            continue;
        const QPointF leftEar(cells[3].toDouble(), cells[4].toDouble());
        const QPointF rightEar(cells[5].toDouble(), cells[6].toDouble());
        const QPointF tailBase(cells[7].toDouble(), cells[8].toDouble());
        const QString name = QFileInfo(QString::fromUtf8(cells[0])).fileName();
        QImage image(folder + "frames/" + name);
        if (image.isNull())
            continue;
        frames.append({image.convertToFormat(QImage::Format_Grayscale8), ((leftEar + rightEar) / 2 + tailBase) / 2});
    }
    return frames;
}

// The per-pixel median of all frames: the mouse moves, so it is the empty floor. The values are
// bytes, so each pixel's median is read off a histogram of the row instead of sorting, which
// keeps this fast in unoptimised sanitizer builds.
inline QImage medianBackground(const QList<LabelledFrame>& frames)
{
    const int width = frames.first().image.width();
    QImage background(frames.first().image.size(), QImage::Format_Grayscale8);
    // The value of rank n / 2 in sorted order, as nth_element would put in the middle.
    const qsizetype rank = frames.size() / 2;
    std::vector<int> histograms(qsizetype(width) * 256);
    for (int y = 0; y < background.height(); ++y) {
        int* counts = histograms.data();
        std::memset(counts, 0, histograms.size() * sizeof(int));
        for (const LabelledFrame& frame : frames) {
            const uchar* row = frame.image.constScanLine(y);
            for (int x = 0; x < width; ++x)
                ++counts[x * 256 + row[x]];
        }
        uchar* out = background.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int* pixelCounts = counts + x * 256;
            qsizetype seen = 0;
            int value = 0;
            while ((seen += pixelCounts[value]) <= rank)
                ++value;
            out[x] = uchar(value);
        }
    }
    return background;
}
