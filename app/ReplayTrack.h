#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

#include <functional>
#include <optional>

class TrackDataFile;
struct TrackFrame;

// What the replay overlays know of one run's track, by record index (the records in key order,
// whatever number the writer gave the first): the record's time from the first timed record,
// and the animal's centre. Every record takes its place, seen or not, so that a list sliced by
// record index stays in step with the video.
//
// The keys are taken when the track is attached; times and centres need a pass over the whole
// file (load), which a loader thread makes.
class ReplayTrack
{
public:
    // The centre of a record without an animal: never drawn, never joined to another point.
    static constexpr QPoint noPoint{-100, -100};

    ReplayTrack() = default;
    // Track.tdata records carry a time; those of the older Track.data (legacy) do not.
    ReplayTrack(const QList<quint32>& keys, bool legacy);

    // Reads record `index` in this track's layout; false when it is missing or unreadable.
    bool readFrame(const TrackDataFile& file, int index, TrackFrame& frame) const;
    // Reads every record, asking `goOn` before each; false when that stopped it first.
    bool load(const TrackDataFile& file, const std::function<bool()>& goOn);

    // The index of the record shown at `position` of a video `duration` long (both ms): the
    // last record whose time has come, one past the last record after the end of the track,
    // and -1 before the first. A legacy track spreads its records evenly over the video. Empty
    // when the duration is not positive.
    std::optional<int> recordIndexAt(qint64 position, qint64 duration) const;

    int count() const { return int(keys.size()); }
    bool isLoaded() const { return loaded; }
    const QList<QPoint>& points() const { return centres; }
    // The size of the frame the centres are measured in: that of the first blob image; empty
    // when no record holds one.
    QSize blobSize() const { return blobImageSize; }

private:
    void takeFrame(bool readable, const TrackFrame& frame);
    void takeTime(std::optional<qint64> timeMs);
    int walkToRecord(qint64 position, qsizetype guess) const;

    QList<quint32> keys;
    bool legacy = false;
    bool loaded = false;
    QList<qint64> times;
    QList<QPoint> centres;
    QSize blobImageSize;
    std::optional<qint64> firstTime;
};
