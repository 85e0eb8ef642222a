#include "ReplayTrack.h"

#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QImage>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// count x part / whole without overflow, part taken into 0 .. whole.
qint64 proportion(qint64 count, qint64 part, qint64 whole)
{
    const __int128 product = __int128(count) * std::clamp<qint64>(part, 0, whole);
    return qint64(product / whole);
}

// Times read from a file may be anything: sums and differences of them end at the range's ends.
qint64 saturated(__int128 value)
{
    return qint64(std::clamp<__int128>(value, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()));
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

bool ReplayTrack::load(const TrackDataFile& file, const std::function<bool()>& goOn, const RecordVisitor& visit)
{
    times.clear();
    firstStamp.reset();
    blobImageSize = QSize();
    loaded = false;
    QList<std::optional<qint64>> stamps;
    stamps.reserve(keys.size());
    for (int index = 0; index < keys.size(); ++index) {
        if (!goOn())
            return false;
        TrackFrame frame;
        const bool readable = readFrame(file, index, frame);
        stamps.append(takeFrame(readable, frame));
        if (visit)
            visit(readable, frame);
    }
    if (!legacy)
        placeRecords(stamps);
    loaded = true;
    return true;
}

// The time the record carries, if any.
std::optional<qint64> ReplayTrack::takeFrame(bool readable, const TrackFrame& frame)
{
    if (!readable || !frame.detected)
        return std::nullopt;
    if (blobImageSize.isEmpty() && !frame.image.isEmpty())
        blobImageSize = QImage::fromData(frame.image).size();
    return frame.timeMs;
}

// A record without a time lies between the timed records around it, in proportion to its place
// among them; before the first and after the last it follows at their mean interval.
void ReplayTrack::placeRecords(const QList<std::optional<qint64>>& stamps)
{
    std::vector<qsizetype> timed;
    for (qsizetype index = 0; index < stamps.size(); ++index) {
        if (stamps.at(index))
            timed.push_back(index);
    }
    if (timed.empty()) {
        times.fill(0, stamps.size());
        return;
    }
    const qsizetype firstTimed = timed.front();
    const qsizetype lastTimed = timed.back();
    const __int128 first = *stamps.at(firstTimed);
    const __int128 last = *stamps.at(lastTimed);
    const __int128 interval =
        lastTimed > firstTimed ? std::max<__int128>((last - first) / (lastTimed - firstTimed), 0) : 0;
    std::vector<__int128> placed(size_t(stamps.size()));
    size_t before = 0;
    for (qsizetype index = 0; index < stamps.size(); ++index) {
        if (index <= firstTimed) {
            placed[size_t(index)] = first - (firstTimed - index) * interval;
        } else if (index >= lastTimed) {
            placed[size_t(index)] = last + (index - lastTimed) * interval;
        } else {
            while (timed.at(before + 1) <= index)
                ++before;
            const qsizetype from = timed.at(before);
            const qsizetype to = timed.at(before + 1);
            const __int128 fromStamp = *stamps.at(from);
            placed[size_t(index)] = fromStamp + (*stamps.at(to) - fromStamp) * (index - from) / (to - from);
        }
    }
    firstStamp = saturated(placed.front());
    times.reserve(stamps.size());
    for (const __int128 stamp : placed)
        times.append(saturated(stamp - placed.front()));
}

std::optional<int> ReplayTrack::recordIndexAt(qint64 position, qint64 duration, qint64 videoStartMs) const
{
    if (duration < 1)
        return std::nullopt;
    if (legacy)
        return int(proportion(keys.size(), position, duration));
    if (times.isEmpty())
        return 0;
    const qint64 offset = videoOffset(videoStartMs);
    const qint64 target = saturated(__int128(position) + offset);
    const qsizetype guess = std::min<qsizetype>(proportion(times.size(), target, duration), times.size() - 1);
    const int index = walkToRecord(target, guess);
    // A recording's first frame is the first picture that came after it was asked for: a record
    // taken by then is in no frame of the video, and the next one is on screen in its stead.
    if (videoStartMs > 0 && firstStamp && index >= 0 && index < times.size() && times.at(index) <= offset)
        return index + 1;
    return index;
}

// How long after the first record the video began; 0 when either is not known.
qint64 ReplayTrack::videoOffset(qint64 videoStartMs) const
{
    if (videoStartMs <= 0 || !firstStamp)
        return 0;
    return saturated(__int128(videoStartMs) - *firstStamp);
}

// From a guess made as if the records were evenly spread, to the last record taken by `target`
// (ms from the first record).
int ReplayTrack::walkToRecord(qint64 target, qsizetype guess) const
{
    if (times.at(guess) >= target) {
        for (qsizetype i = guess; i >= 0; --i) {
            if (times.at(i) <= target)
                return int(i);
        }
        return -1;
    }
    for (qsizetype i = guess;; ++i) {
        if (i + 1 == times.size())
            return int(times.size());
        if (times.at(i + 1) > target)
            return int(i);
        if (times.at(i + 1) == target)
            return int(i + 1);
    }
}
