#include "ReplayTrack.h"

#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QImage>

#include <algorithm>

namespace {

// count x part / whole without overflow, part taken into 0 .. whole.
qint64 proportion(qint64 count, qint64 part, qint64 whole)
{
    const __int128 product = __int128(count) * std::clamp<qint64>(part, 0, whole);
    return qint64(product / whole);
}

} // namespace

ReplayTrack::ReplayTrack(const QList<quint32>& keys, bool legacy)
    : keys(keys)
    , legacy(legacy)
{
}

bool ReplayTrack::readFrame(const TrackDataFile& file, int index, TrackFrame& frame) const
{
    frame = TrackFrame();
    if (index < 0 || index >= keys.size())
        return false;
    return legacy ? file.readRecordWith(keys.at(index), frame, readTrackFrameLegacy)
                  : file.readRecord(keys.at(index), frame);
}

bool ReplayTrack::load(const TrackDataFile& file, const std::function<bool()>& goOn)
{
    times.clear();
    centres.clear();
    blobImageSize = QSize();
    firstTime.reset();
    loaded = false;
    centres.reserve(keys.size());
    if (!legacy)
        times.reserve(keys.size());
    for (int index = 0; index < keys.size(); ++index) {
        if (!goOn())
            return false;
        TrackFrame frame;
        takeFrame(readFrame(file, index, frame), frame);
    }
    loaded = true;
    return true;
}

void ReplayTrack::takeFrame(bool readable, const TrackFrame& frame)
{
    const bool seen = readable && frame.detected;
    centres.append(seen && frame.centerX >= 1 && frame.centerY >= 0 ? frame.center() : noPoint);
    if (!legacy)
        takeTime(seen ? std::optional<qint64>(frame.timeMs) : std::nullopt);
    if (seen && blobImageSize.isEmpty() && !frame.image.isEmpty())
        blobImageSize = QImage::fromData(frame.image).size();
}

// A record without a time, or with one too far off to measure from the first, keeps the time
// of the record before it.
void ReplayTrack::takeTime(std::optional<qint64> timeMs)
{
    qint64 elapsed = times.isEmpty() ? 0 : times.constLast();
    if (timeMs) {
        if (!firstTime)
            firstTime = timeMs;
        qint64 difference = 0;
        if (!__builtin_sub_overflow(*timeMs, *firstTime, &difference))
            elapsed = difference;
    }
    times.append(elapsed);
}

std::optional<int> ReplayTrack::recordIndexAt(qint64 position, qint64 duration) const
{
    if (duration < 1)
        return std::nullopt;
    if (legacy)
        return int(proportion(keys.size(), position, duration));
    const qint64 guess = proportion(times.size(), position, duration);
    return guess >= times.size() ? int(times.size()) : walkToRecord(position, guess);
}

// From a guess made as if the records were evenly spread, to the record whose time has come.
int ReplayTrack::walkToRecord(qint64 position, qsizetype guess) const
{
    if (times.at(guess) >= position) {
        for (qsizetype i = guess; i >= 0; --i) {
            if (times.at(i) <= position)
                return int(i);
        }
        return -1;
    }
    for (qsizetype i = guess;; ++i) {
        if (i + 1 == times.size())
            return int(times.size());
        if (times.at(i + 1) > position)
            return int(i);
        if (times.at(i + 1) == position)
            return int(i + 1);
    }
}
