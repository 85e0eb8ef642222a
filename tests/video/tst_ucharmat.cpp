#include "OpenFieldFrames.h"
#include "UCharMat.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A matrix whose every pixel is valueAt(x, y).
template <typename ValueAt>
UCharMat matrixOf(int width, int height, ValueAt valueAt)
{
    UCharMat m(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.bytes()[y * width + x] = uchar(valueAt(x, y));
    return m;
}

// '#' for on (1), anything else for off (0).
UCharMat matrixFromRows(const QList<QByteArray>& rows)
{
    return matrixOf(int(rows.first().size()), int(rows.size()), [&](int x, int y) { return rows[y][x] == '#'; });
}

UCharMat randomMask(QRandomGenerator& random, int width, int height, int percentOn)
{
    UCharMat m(width, height, 0);
    for (qsizetype i = 0; i < m.data.size(); ++i)
        m.bytes()[i] = int(random.bounded(100)) < percentOn ? uchar(1 + random.bounded(255)) : 0;
    return m;
}

// The difference rule of combineMask for one pixel, written the obvious way.
int oracleDifference(int current, int reference, int mode, int maxReference)
{
    if (reference > maxReference)
        return 0;
    if (mode == 2)
        return qMax(current - reference, 0);
    if (mode == 1)
        return qMax(reference - current, 0);
    return std::abs(current - reference);
}

// The windows exactly as historically defined, written the slow and obvious way.
UCharMat oracleErode(const UCharMat& m, int k)
{
    UCharMat out(m.width, m.height, 0);
    const qsizetype n = m.data.size();
    for (int y = 0; y < m.height - 1; ++y) {
        for (int x = 0; x < m.width - 1; ++x) {
            uchar value = 1;
            for (int j = 0; j < k; ++j) {
                for (int i = 0; i < k; ++i) {
                    const qsizetype position = qsizetype(y + j) * m.width + x + i;
                    if (position < n && m.bytes()[position] == 0)
                        value = 0;
                }
            }
            out.bytes()[y * m.width + x] = value;
        }
    }
    return out;
}

UCharMat oracleDilate(const UCharMat& m, int k)
{
    UCharMat out(m.width, m.height, 0);
    const int r = int(std::floor(k / 2.0));
    for (int y = 0; y < qMin(m.height, m.height - k); ++y) {
        for (int x = 0; x < qMin(m.width, m.width - k); ++x) {
            if (m.at(x, y) == 0)
                continue;
            for (int row = qMax(y - r, 0); row < qMin(y - r + k, m.height); ++row)
                for (int column = qMax(x - r, 0); column < qMin(x - r + k, m.width); ++column)
                    out.bytes()[row * m.width + column] = 1;
        }
    }
    return out;
}

// Labelling with 16-bit labels and a rewrite of the whole label array on every merge.
QList<UCharMatRegion> oracleLabel(const UCharMat& m, unsigned int minCount)
{
    const qsizetype n = m.data.size();
    std::vector<quint16> labels(n, 0);
    quint16 counter = 0;
    // A plain loop: library algorithms crawl in unoptimised sanitizer builds.
    const auto replace = [&](quint16 from, quint16 to) {
        quint16* all = labels.data();
        for (qsizetype i = 0; i < n; ++i)
            if (all[i] == from)
                all[i] = to;
    };
    for (int y = 0; y < m.height; ++y) {
        for (int x = 0; x < m.width; ++x) {
            const qsizetype p = qsizetype(y) * m.width + x;
            if (m.bytes()[p] == 0)
                continue;
            if (labels[p] == 0)
                labels[p] = ++counter;
            quint16 label = labels[p];
            const qsizetype q = p + 1;
            if (x + 1 < m.width && m.bytes()[q] > 0) {
                if (labels[q] != 0 && labels[q] != label) {
                    const quint16 survivor = labels[q];
                    replace(label, survivor);
                    label = survivor;
                } else {
                    labels[q] = label;
                }
            }
            const qsizetype s = p + m.width;
            if (y + 1 < m.height && m.bytes()[s] > 0) {
                if (labels[s] != 0 && labels[s] != label)
                    replace(label, labels[s]);
                else
                    labels[s] = label;
            }
        }
    }
    QList<UCharMatRegion> all(counter + 1);
    for (qsizetype p = 0; p < n; ++p)
        if (labels[p] >= 1 && labels[p] <= counter)
            all[labels[p]].points.append(QPoint(int(p % m.width), int(p / m.width)));
    QList<UCharMatRegion> result;
    for (const UCharMatRegion& region : all)
        if (!region.points.isEmpty() && unsigned(region.points.size()) > minCount)
            result.append(region);
    return result;
}

QList<QList<QPoint>> pointsOf(const QList<UCharMatRegion>& regions)
{
    QList<QList<QPoint>> points;
    for (const UCharMatRegion& region : regions)
        points.append(region.points);
    return points;
}

UCharMatRegion squareRegion(int left, int top, int side)
{
    UCharMatRegion region;
    for (int y = top; y < top + side; ++y)
        for (int x = left; x < left + side; ++x)
            region.points.append(QPoint(x, y));
    return region;
}

} // namespace

class TestUCharMat : public QObject
{
    Q_OBJECT

private slots:
    void constructorsFillAndMarkReserved();
    void fromQImageBlanksMargins();
    void fromQImageHandlesNullPaddedAndNonGreyImages();
    void combineMaskModesAndThreshold();
    void combineMaskOfDifferentSizes();
    void combineMaskMatchesThePixelRuleOnWholeFrames();
    void erodeKeepsItsLinearWindow();
    void erodeMatchesDirectWindowsOnRandomMasks();
    void dilateSquareAndSkippedBorder();
    void dilateMatchesDirectWindowsOnRandomMasks();
    void labelRegionsHandMadeShapes();
    void labelRegionsMatchesWholeArrayRelabelling();
    void labelRegionsMatchesOnLargeTangledMasks();
    void labelRegionsNeverRunsOutOfLabels();
    void maskFromRegionsEmpty();
    void maskFromRegionsMedianAndQuantileRectangle();
    void maskFromRegionsFewPointsLeaveMedianUnset();
    void maskFromRegionsFiltersFarRegions();
    void maskFromRegionsRefusesPointsOffTheMatrix();
    void meanAboveAndSplitHalves();
    void toQImagePaintsOnPixels();
    void detectsTheMouseInRealFrames();
};

void TestUCharMat::constructorsFillAndMarkReserved()
{
    const UCharMat empty;
    QCOMPARE(empty.width, 0);
    QCOMPARE(empty.height, 0);
    QVERIFY(empty.data.isEmpty());
    QCOMPARE(empty.reserved, -1);

    const UCharMat filled(3, 2, 7);
    QCOMPARE(filled.data, QByteArray(6, 7));
    QCOMPARE(filled.reserved, -1);
}

void TestUCharMat::fromQImageBlanksMargins()
{
    QImage image(100, 100, QImage::Format_Grayscale8);
    image.fill(200);
    const UCharMat m = UCharMat::fromQImage(image, 10, 0);
    QCOMPARE(m.width, 100);
    QCOMPARE(m.height, 100);
    for (int y = 0; y < 100; ++y) {
        const uchar expected = (y < 10 || y >= 90) ? 0 : 200;
        QCOMPARE(m.at(0, y), expected);
        QCOMPARE(m.at(99, y), expected);
    }

    const UCharMat sides = UCharMat::fromQImage(image, 0, 12.5);
    QCOMPARE(sides.at(11, 50), uchar(0));
    QCOMPARE(sides.at(12, 50), uchar(200));
    QCOMPARE(sides.at(87, 50), uchar(200));
    QCOMPARE(sides.at(88, 50), uchar(0));

    // Margins are clamped to half the size: nothing is left to copy.
    QCOMPARE(UCharMat::fromQImage(image, 80, 0).data, QByteArray(100 * 100, 0));
    QCOMPARE(UCharMat::fromQImage(image, 0, 50).data, QByteArray(100 * 100, 0));
    // Negative margins count as none.
    QCOMPARE(UCharMat::fromQImage(image, -5, -5).data, QByteArray(100 * 100, char(200)));
}

void TestUCharMat::fromQImageHandlesNullPaddedAndNonGreyImages()
{
    QTest::ignoreMessage(QtDebugMsg, "IMG NULL FOR UCHARMAT");
    const UCharMat none = UCharMat::fromQImage(QImage(), 0, 0);
    QCOMPARE(none.width, 0);
    QVERIFY(none.data.isEmpty());

    // Rows of 5 bytes are stored 8 bytes apart in the image; the matrix packs them.
    QImage padded(5, 3, QImage::Format_Grayscale8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            padded.scanLine(y)[x] = uchar(10 * y + x);
    const UCharMat packed = UCharMat::fromQImage(padded, 0, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(packed.at(x, y), uchar(10 * y + x));

    // A colour frame is read as its grey levels, not as raw bytes.
    QImage colour(4, 4, QImage::Format_RGB32);
    colour.fill(QColor(77, 77, 77));
    QTest::ignoreMessage(QtDebugMsg, "IMG NOT GRAYSCALE!");
    QCOMPARE(UCharMat::fromQImage(colour, 0, 0).data, QByteArray(16, 77));

    QImage mono(70, 3, QImage::Format_Mono);
    mono.fill(1);
    QTest::ignoreMessage(QtDebugMsg, "IMG NOT GRAYSCALE!");
    const UCharMat fromMono = UCharMat::fromQImage(mono, 0, 0);
    QCOMPARE(fromMono.data.size(), 70 * 3);
}

void TestUCharMat::combineMaskModesAndThreshold()
{
    const UCharMat current(1, 1, 100);
    const UCharMat reference(1, 1, 90);
    using Outcome = std::pair<int, qint64>; // mask value, counted pixels
    const Outcome on(255, 1);
    const Outcome off(3, 0);
    const auto combine = [&](int mode, uchar threshold, uchar maxReference) {
        qint64 count = -1;
        const UCharMat mask = UCharMat::combineMask(current, reference, threshold, mode, maxReference, 255, 3, &count);
        return Outcome(mask.at(0, 0), count);
    };
    QCOMPARE(combine(2, 5, 255), on);
    QCOMPARE(combine(1, 5, 255), off);
    QCOMPARE(combine(0, 5, 255), on);
    QCOMPARE(combine(7, 5, 255), on); // unknown modes compare absolutely
    for (int mode = 0; mode < 3; ++mode)
        QCOMPARE(combine(mode, 5, 80), off);
    // A difference equal to the threshold is not enough.
    QCOMPARE(combine(0, 10, 255), off);
    QCOMPARE(combine(0, 9, 255), on);

    const UCharMat darker = UCharMat::combineMask(UCharMat(1, 1, 20), UCharMat(1, 1, 90), 5, 1, 255, 1, 0);
    QCOMPARE(darker.at(0, 0), uchar(1));
}

void TestUCharMat::combineMaskOfDifferentSizes()
{
    QRandomGenerator random(11);
    const UCharMat current = randomMask(random, 7, 5, 60);
    const UCharMat reference = randomMask(random, 5, 6, 60);
    qint64 count = 0;
    const UCharMat mask = UCharMat::combineMask(current, reference, 40, 0, 200, 9, 1, &count);
    QCOMPARE(mask.width, 5);
    QCOMPARE(mask.height, 5);
    qint64 expectedCount = 0;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            const int d = oracleDifference(current.at(x, y), reference.at(x, y), 0, 200);
            QCOMPARE(mask.at(x, y), uchar(d > 40 ? 9 : 1));
            expectedCount += d > 40;
        }
    }
    QCOMPARE(count, expectedCount);
}

void TestUCharMat::combineMaskMatchesThePixelRuleOnWholeFrames()
{
    QRandomGenerator random(17);
    const UCharMat current = randomMask(random, 157, 61, 90);
    const UCharMat reference = randomMask(random, 157, 61, 90);
    for (int mode : {0, 1, 2, 5}) {
        for (int threshold : {0, 10, 128, 254, 255}) {
            for (int maxReference : {0, 100, 255}) {
                qint64 count = -1;
                const UCharMat mask = UCharMat::combineMask(current, reference, uchar(threshold), mode,
                                                            uchar(maxReference), 200, 7, &count);
                qint64 expectedCount = 0;
                for (qsizetype i = 0; i < mask.data.size(); ++i) {
                    const int d = oracleDifference(current.bytes()[i], reference.bytes()[i], mode, maxReference);
                    expectedCount += d > threshold;
                    if (mask.bytes()[i] != (d > threshold ? 200 : 7))
                        QFAIL(qPrintable(QString("mode %1 threshold %2 at %3").arg(mode).arg(threshold).arg(i)));
                }
                QCOMPARE(count, expectedCount);
            }
        }
    }
}

void TestUCharMat::erodeKeepsItsLinearWindow()
{
    // 1 everywhere but in the last column and the last row.
    const UCharMat expected = matrixOf(6, 4, [](int x, int y) { return x == 5 || y == 3 ? 0 : 1; });
    const UCharMat full(6, 4, 5);
    QCOMPARE(full.erode(3).data, expected.data);

    // The window of the second-to-last column runs on into the start of the next row.
    UCharMat holed = full;
    holed.bytes()[2 * 6 + 0] = 0; // (0, 2)
    const UCharMat wrapped = holed.erode(3);
    QCOMPARE(wrapped.at(4, 0), uchar(0)); // reaches (0, 2) through rows 1 and 2
    QCOMPARE(wrapped.at(4, 1), uchar(0));
    QCOMPARE(wrapped.at(3, 0), uchar(1));

    QCOMPARE(UCharMat(6, 4, 0).erode(0).data, expected.data);
}

void TestUCharMat::erodeMatchesDirectWindowsOnRandomMasks()
{
    QRandomGenerator random(3);
    for (int round = 0; round < 60; ++round) {
        const int width = 1 + int(random.bounded(30));
        const int height = 1 + int(random.bounded(30));
        const UCharMat mask = randomMask(random, width, height, 50 + int(random.bounded(50)));
        for (int k : {-2, 0, 1, 2, 3, 4, 7, 40}) {
            const UCharMat fast = mask.erode(k);
            const UCharMat direct = oracleErode(mask, k);
            if (fast.data != direct.data)
                QFAIL(qPrintable(QString("erode %1 of %2 x %3").arg(k).arg(width).arg(height)));
        }
    }
}

void TestUCharMat::dilateSquareAndSkippedBorder()
{
    UCharMat single(100, 100, 0);
    single.bytes()[50 * 100 + 50] = 1;
    const UCharMat square = matrixOf(100, 100, [](int x, int y) { return x >= 45 && x <= 54 && y >= 45 && y <= 54; });
    QCOMPARE(single.dilate(10).data, square.data);

    const UCharMat same = single.dilate(1);
    QCOMPARE(same.data, single.data);

    // Pixels in the last k columns or rows are not dilated at all.
    UCharMat border(20, 20, 0);
    border.bytes()[5 * 20 + 17] = 1;
    border.bytes()[17 * 20 + 5] = 1;
    QCOMPARE(border.dilate(3).data, QByteArray(400, 0));
    QCOMPARE(single.dilate(0).data, QByteArray(10000, 0));
}

void TestUCharMat::dilateMatchesDirectWindowsOnRandomMasks()
{
    QRandomGenerator random(5);
    for (int round = 0; round < 60; ++round) {
        const int width = 1 + int(random.bounded(40));
        const int height = 1 + int(random.bounded(40));
        const UCharMat mask = randomMask(random, width, height, int(random.bounded(30)));
        for (int k : {-3, 0, 1, 2, 3, 5, 10, 39}) {
            if (mask.dilate(k).data != oracleDilate(mask, k).data)
                QFAIL(qPrintable(QString("dilate %1 of %2 x %3").arg(k).arg(width).arg(height)));
        }
    }
    // A frame-sized mask, through the detector's own windows.
    const UCharMat frame = randomMask(random, 203, 97, 40);
    const UCharMat eroded = frame.erode(3);
    QCOMPARE(eroded.data, oracleErode(frame, 3).data);
    QCOMPARE(eroded.dilate(10).data, oracleDilate(eroded, 10).data);
}

void TestUCharMat::labelRegionsHandMadeShapes()
{
    const UCharMat diagonal = matrixFromRows({"#.", ".#"});
    QCOMPARE(pointsOf(diagonal.labelRegions(0)), (QList<QList<QPoint>>{{QPoint(0, 0)}, {QPoint(1, 1)}}));

    // The two arms of the U get their own labels first and are merged at the bottom.
    const UCharMat u = matrixFromRows({"#..#", "#..#", "####"});
    const QList<UCharMatRegion> uRegions = u.labelRegions(0);
    QCOMPARE(uRegions.size(), 1);
    QCOMPARE(uRegions.first().points, (QList<QPoint>{QPoint(0, 0), QPoint(3, 0), QPoint(0, 1), QPoint(3, 1),
                                                     QPoint(0, 2), QPoint(1, 2), QPoint(2, 2), QPoint(3, 2)}));

    QVERIFY(UCharMat(8, 8, 0).labelRegions(0).isEmpty());

    const UCharMat sizes = matrixFromRows({"##...", ".....", "###.#"});
    QCOMPARE(sizes.labelRegions(0).size(), 3);
    QCOMPARE(pointsOf(sizes.labelRegions(2)), (QList<QList<QPoint>>{{QPoint(0, 2), QPoint(1, 2), QPoint(2, 2)}}));
    QVERIFY(sizes.labelRegions(3).isEmpty());
}

void TestUCharMat::labelRegionsMatchesWholeArrayRelabelling()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 400; ++round) {
        const int width = 1 + int(random.bounded(48));
        const int height = 1 + int(random.bounded(48));
        const int density = int(random.bounded(101));
        UCharMat mask = randomMask(random, width, height, density);
        // Every other mask goes through the cleaning windows, giving the blobby shapes whose
        // arms meet late, as on camera frames.
        if (round % 2 == 1)
            mask = mask.erode(2).dilate(3);
        const unsigned int minCount = random.bounded(4u);
        const QList<UCharMatRegion> fast = mask.labelRegions(minCount);
        const QList<UCharMatRegion> direct = oracleLabel(mask, minCount);
        if (pointsOf(fast) != pointsOf(direct)) {
            QFAIL(qPrintable(QString("%1 x %2 at %3 %: %4 regions instead of %5")
                                 .arg(width)
                                 .arg(height)
                                 .arg(density)
                                 .arg(fast.size())
                                 .arg(direct.size())));
        }
    }
}

void TestUCharMat::labelRegionsMatchesOnLargeTangledMasks()
{
    // Near the percolation threshold the regions are long and tangled: many late merges.
    QRandomGenerator random(13);
    for (int density : {55, 59, 63}) {
        const UCharMat mask = randomMask(random, 160, 120, density);
        QCOMPARE(pointsOf(mask.labelRegions(0)), pointsOf(oracleLabel(mask, 0)));
    }
}

void TestUCharMat::labelRegionsNeverRunsOutOfLabels()
{
    // A checkerboard needs one label per pixel: far more than 16 bits can count.
    const int side = 400;
    UCharMat board(side, side, 0);
    for (int y = 0; y < side; ++y)
        for (int x = (y % 2); x < side; x += 2)
            board.bytes()[y * side + x] = 1;
    const QList<UCharMatRegion> regions = board.labelRegions(0);
    QCOMPARE(regions.size(), qsizetype(side * side / 2));
    QCOMPARE(regions.first().points, QList<QPoint>{QPoint(0, 0)});
    QCOMPARE(regions[70000].points.size(), 1);
    QCOMPARE(regions.last().points, QList<QPoint>{QPoint(side - 1, side - 1)});
    for (qsizetype i = 1; i < regions.size(); i += 997) {
        const QPoint a = regions[i - 1].points.first();
        const QPoint b = regions[i].points.first();
        QVERIFY(a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()));
    }
}

void TestUCharMat::maskFromRegionsEmpty()
{
    QList<UCharMatRegion> regions;
    QPoint median(-1, -1);
    QRect rect(1, 2, 3, 4);
    unsigned int total = 99;
    const UCharMat mask = UCharMat::maskFromRegions(8, 6, regions, 0, 255, 7, &median, &rect, &total, true);
    QCOMPARE(mask.data, QByteArray(48, 7));
    QCOMPARE(total, 0u);
    QCOMPARE(median, QPoint(-1, -1));
    QCOMPARE(rect, QRect(1, 2, 3, 4));
}

void TestUCharMat::maskFromRegionsMedianAndQuantileRectangle()
{
    // 10 x 10 square at (20, 30): 100 points, 10 per column and row.
    QList<UCharMatRegion> regions{squareRegion(20, 30, 10), squareRegion(2, 2, 2)};
    QPoint median(-1, -1);
    QRect rect;
    unsigned int total = 0;
    const UCharMat mask = UCharMat::maskFromRegions(64, 48, regions, 5, 200, 0, &median, &rect, &total, false);
    QCOMPARE(total, 100u);
    // eighth = 12 (reached at the 2nd column), half = 50 (5th), six eighths = 72 (8th).
    QCOMPARE(median, QPoint(24, 34));
    QCOMPARE(rect, QRect(21, 31, 6, 6));
    QCOMPARE(mask.at(20, 30), uchar(200));
    QCOMPARE(mask.at(29, 39), uchar(200));
    QCOMPARE(mask.at(2, 2), uchar(0)); // 4 points, below the minimum area
    QCOMPARE(regions.size(), 2);       // nothing filtered

    // A quantile rectangle touching column or row 0 is not reported.
    QList<UCharMatRegion> corner{squareRegion(0, 0, 3)};
    QRect untouched(5, 5, 5, 5);
    UCharMat::maskFromRegions(64, 48, corner, 0, 1, 0, &median, &untouched, &total, false);
    QCOMPARE(untouched, QRect(5, 5, 5, 5));
    QCOMPARE(median, QPoint(1, 1));

    // Without a median nothing is measured, and the total is 0.
    UCharMat::maskFromRegions(64, 48, corner, 0, 1, 0, nullptr, &untouched, &total, true);
    QCOMPARE(total, 0u);
    QCOMPARE(corner.size(), 1);
}

void TestUCharMat::maskFromRegionsFewPointsLeaveMedianUnset()
{
    // Four points in four columns of row 0: eighth is 0, so the walks stop at column and row 0;
    // column 0 holds none of the points, so the median column stays -1, while row 0 holds all.
    UCharMatRegion line;
    for (int x = 10; x < 14; ++x)
        line.points.append(QPoint(x, 0));
    QList<UCharMatRegion> regions{line};
    QPoint median(-7, -7);
    QRect rect(1, 1, 1, 1);
    unsigned int total = 0;
    UCharMat::maskFromRegions(20, 20, regions, 1, 1, 0, &median, &rect, &total, false);
    QCOMPARE(total, 4u);
    QCOMPARE(median, QPoint(-1, 0));
    QCOMPARE(rect, QRect(1, 1, 1, 1));
}

void TestUCharMat::maskFromRegionsFiltersFarRegions()
{
    // A big blob near the middle, a big one far away in the corner, a small one near the blob.
    QList<UCharMatRegion> regions{squareRegion(90, 90, 30), squareRegion(2, 2, 25), squareRegion(125, 95, 3),
                                  squareRegion(95, 125, 20)};
    QPoint median(-1, -1);
    QRect rect;
    unsigned int total = 0;
    const UCharMat mask = UCharMat::maskFromRegions(200, 200, regions, 100, 255, 0, &median, &rect, &total, true);
    QCOMPARE(total, 900u + 625u + 400u);
    // The returned mask still shows every region of the minimum area, the far one included.
    QCOMPARE(mask.at(2, 2), uchar(255));
    QCOMPARE(mask.at(125, 95), uchar(0));
    QCOMPARE(regions.size(), 2);
    QCOMPARE(regions[0].points.first(), QPoint(90, 90));
    QCOMPARE(regions[1].points.first(), QPoint(95, 125));
    QCOMPARE(regions[0].minX, 90);
    QCOMPARE(regions[0].maxX, 119);
    QCOMPARE(regions[0].minY, 90);
    QCOMPARE(regions[0].maxY, 119);

    // Repainting from the kept regions leaves the far one out.
    const UCharMat kept = UCharMat::maskFromRegions(200, 200, regions, 100, 255, 0, &median, &rect, &total, false);
    QCOMPARE(kept.at(2, 2), uchar(0));
    QCOMPARE(total, 1300u);
}

void TestUCharMat::maskFromRegionsRefusesPointsOffTheMatrix()
{
    UCharMatRegion region = squareRegion(1, 1, 4);
    region.points.append(QPoint(-1, 1)); // its linear index 11 would land on (11, 0)
    region.points.append(QPoint(2, -1));
    QList<UCharMatRegion> regions{region};
    QPoint median;
    QRect rect;
    unsigned int total = 0;
    QTest::ignoreMessage(QtDebugMsg, "UCharMat Erroneous index 11 12 12");
    QTest::ignoreMessage(QtDebugMsg, "UCharMat Erroneous index -10 12 12");
    const UCharMat mask = UCharMat::maskFromRegions(12, 12, regions, 0, 1, 0, &median, &rect, &total, true);
    QCOMPARE(total, 16u);
    QCOMPARE(median, QPoint(2, 2));
    QCOMPARE(mask.at(11, 0), uchar(0));
    QCOMPARE(int(std::count(mask.data.begin(), mask.data.end(), 1)), 16);
    // The box still spans every point, on the matrix or off it.
    QCOMPARE(regions.size(), 1);
    QCOMPARE(regions.first().minX, -1);
    QCOMPARE(regions.first().minY, -1);
}

void TestUCharMat::meanAboveAndSplitHalves()
{
    UCharMat m(5, 2, 0);
    const uchar values[10] = {0, 10, 20, 30, 40, 255, 255, 1, 2, 3};
    std::copy(values, values + 10, m.bytes());
    QCOMPARE(m.meanAbove(-1), (0 + 10 + 20 + 30 + 40 + 255 + 255 + 1 + 2 + 3) / 10);
    QCOMPARE(m.meanAbove(25), (30 + 40 + 255 + 255) / 4);
    QCOMPARE(m.meanAbove(254), 255);
    QCOMPARE(m.meanAbove(255), 0);
    QCOMPARE(UCharMat().meanAbove(-1), 0);

    const auto [left, right] = m.splitHalves();
    QCOMPARE(left.width, 2);
    QCOMPARE(right.width, 3);
    QCOMPARE(left.data, QByteArray::fromHex("000affff"));
    QCOMPARE(right.data, QByteArray::fromHex("141e28010203"));

    const UCharMat even(4, 3, 9);
    const auto [a, b] = even.splitHalves();
    QCOMPARE(a.width, 2);
    QCOMPARE(b.width, 2);
    QCOMPARE(a.data.size() + b.data.size(), even.data.size());
}

void TestUCharMat::toQImagePaintsOnPixels()
{
    const UCharMat m = matrixFromRows({"#..", ".#."});
    const QImage image = m.toQImage(QColor(30, 255, 0, 100), Qt::transparent);
    QCOMPARE(image.format(), QImage::Format_RGBA8888);
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(image.constScanLine(0)), 12), QByteArray::fromHex("1eff0064"
                                                                                                        "00000000"
                                                                                                        "00000000"));
    QCOMPARE(image.pixelColor(1, 1), QColor(30, 255, 0, 100));
    QCOMPARE(image.pixelColor(0, 1).alpha(), 0);
    QVERIFY(UCharMat().toQImage(Qt::red, Qt::black).isNull());
}

void TestUCharMat::detectsTheMouseInRealFrames()
{
    const QList<LabelledFrame> frames = loadOpenFieldFrames();
    QCOMPARE(frames.size(), 20);
    const UCharMat background = UCharMat::fromQImage(medianBackground(frames), 18, 12);
    int judged = 0;
    int found = 0;
    for (const LabelledFrame& frame : frames) {
        const QPointF centre = frame.bodyCentre;
        const QRectF inner(640 * 0.12, 480 * 0.18, 640 * 0.76, 480 * 0.64);
        if (!inner.contains(centre))
            continue;
        ++judged;
        const UCharMat current = UCharMat::fromQImage(frame.image, 18, 12);
        const UCharMat mask = UCharMat::combineMask(current, background, 30, 1, 240, 255, 0);
        QList<UCharMatRegion> regions = mask.erode(3).dilate(10).labelRegions(0);
        QPoint median(-1, -1);
        QRect rect;
        unsigned int area = 0;
        UCharMat::maskFromRegions(640, 480, regions, 420, 255, 0, &median, &rect, &area, true);
        const double distance = std::hypot(median.x() - centre.x(), median.y() - centre.y());
        // The reference lies on the body axis, which is some 60 pixels long.
        if (area > 0 && distance < 50)
            ++found;
    }
    QCOMPARE(judged, 12);
    // The empty arena against itself shows no animal.
    QList<UCharMatRegion> none =
        UCharMat::combineMask(background, background, 30, 1, 240, 255, 0).erode(3).dilate(10).labelRegions(0);
    unsigned int emptyArea = 1;
    QPoint median(-1, -1);
    UCharMat::maskFromRegions(640, 480, none, 420, 255, 0, &median, nullptr, &emptyArea, true);
    QCOMPARE(emptyArea, 0u);
    QVERIFY2(found >= judged * 9 / 10, qPrintable(QString("%1 of %2").arg(found).arg(judged)));
}

QTEST_GUILESS_MAIN(TestUCharMat)
#include "tst_ucharmat.moc"
