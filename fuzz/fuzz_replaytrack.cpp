// Reads arbitrary bytes as a run's track the way the replay overlays do, in both record layouts,
// and maps playback positions to records. Every record takes one place, seen or not; a place
// holds no point or a drawable one; a position maps to a record index from -1 to one past the
// last, and to none without a duration; the heat map of the points covers its grid.
#include "FuzzScratch.h"
#include "HeatMapRenderer.h"
#include "PlayableOverlayWithPoints.h"
#include "ReplayTrack.h"
#include "TrackDataFile.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

constexpr qint64 durations[] = {0, 1, 40, 120'000, std::numeric_limits<qint64>::max() / 2};

void checkPositions(const ReplayTrack& track)
{
    for (qint64 duration : durations) {
        for (qint64 position : {qint64(-5), qint64(0), duration / 3, duration - 1, duration, duration + 1}) {
            const std::optional<int> index = track.recordIndexAt(position, duration);
            if (index.has_value() != (duration >= 1) || (index && (*index < -1 || *index > track.count())))
                std::abort();
        }
    }
}

void checkPoints(const ReplayTrack& track, const QList<QPoint>& points)
{
    if (points.size() != track.count())
        std::abort();
    for (const QPoint& point : points) {
        if (point != PlayableOverlayWithPoints::noPoint && (point.x() < 1 || point.y() < 0))
            std::abort();
    }
    if (!track.blobSize().isEmpty() && (track.blobSize().width() < 1 || track.blobSize().height() < 1))
        std::abort();
    static const HeatMapRenderer renderer(4, 3, 0.8);
    if (renderer.render(points, 64, 48, 3, 2).size() != QSize(64, 48))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_replaytrack";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    TrackDataFile file;
    if (!file.open(fuzzInputFile(QStringLiteral("Track.tdata"), data, size), true))
        return 0;
    for (bool legacy : {false, true}) {
        ReplayTrack track(file.keys(), legacy);
        checkPositions(track);
        QList<QPoint> points;
        const auto collect = [&points](bool readable, const TrackFrame& frame) {
            points.append(PlayableOverlayWithPoints::centreOf(readable, frame));
        };
        const auto always = [] { return true; };
        if (!track.load(file, always, collect) || !track.isLoaded())
            std::abort();
        checkPoints(track, points);
        checkPositions(track);
    }
    return 0;
}
