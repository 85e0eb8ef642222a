#pragma once

#include <QList>
#include <QSize>

#include <functional>
#include <optional>

class TrackDataFile;
struct TrackFrame;

// What the replay overlays know of one run's track, by record index (the records in key order,
// whatever number the writer gave the first): when each record was taken, measured from the
// first record. Every record takes its place, seen or not, so that the records stay in step with
// the video.
//
// Only the records in which the animal was seen carry their time; the others are placed between
// the timed records around them, and those before the first or after the last timed record one
// mean frame interval apart, so that a run whose first frames miss the animal starts with the
// video and not with the first sighting.
//
// The keys are taken when the track is attached; the times need a pass over the whole file
// (load), which a loader thread makes.
class ReplayTrack
{
public:
    // Called for every record of a pass, in order, with whether it could be read.
    using RecordVisitor = std::function<void(bool readable, const TrackFrame& frame)>;

    ReplayTrack() = default;
    // Track.tdata records carry a time; those of the older Track.data (legacy) do not.
    ReplayTrack(const QList<quint32>& keys, bool legacy);

    // Reads record `index` in this track's layout; false when it is missing or unreadable.
    bool readFrame(const TrackDataFile& file, int index, TrackFrame& frame) const;
    // Reads every record, asking `goOn` before each and handing each to `visit` (when given);
    // false when `goOn` stopped it first.
    bool load(const TrackDataFile& file, const std::function<bool()>& goOn, const RecordVisitor& visit = {});

    // The index of the record shown at `position` of a video `duration` long (both ms): the
    // last record taken by then, one past the last record after the end of the track, and -1
    // before the first. The video is taken to begin with the first record unless the wall-clock
    // time of its beginning is given (ms since the epoch; 0 when not known); then no record taken
    // by that time is shown, since the video's first picture came after it. A legacy track
    // spreads its records evenly over the video. Empty when the duration is not positive.
    std::optional<int> recordIndexAt(qint64 position, qint64 duration, qint64 videoStartMs = 0) const;

    int count() const { return int(keys.size()); }
    bool isLoaded() const { return loaded; }
    // The size of the frame the centres are measured in: that of the first blob image; empty
    // when no record holds one.
    QSize blobSize() const { return blobImageSize; }

private:
    std::optional<qint64> takeFrame(bool readable, const TrackFrame& frame);
    void placeRecords(const QList<std::optional<qint64>>& stamps);
    qint64 videoOffset(qint64 videoStartMs) const;
    int walkToRecord(qint64 target, qsizetype guess) const;

    QList<quint32> keys;
    bool legacy = false;
    bool loaded = false;
    // Per record, from the first one.
    QList<qint64> times;
    // The wall-clock time of the first record, as placed; none without a timed record.
    std::optional<qint64> firstStamp;
    QSize blobImageSize;
};
