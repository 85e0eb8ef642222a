// Opens arbitrary bytes as a run's track file for review, through the container alone and
// through a result record, and reads every record in both record layouts. Review may neither
// crash, hang nor read outside the file; it leaves the file byte for byte as it was and puts
// nothing beside it; every key it reports reads back; and the frames a record hands out for
// review are ones the detector can have written.
#include "Experiment_Stats.h"
#include "FuzzScratch.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QCoreApplication>
#include <QSize>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

class ReviewedRecord : public Experiment_Stats
{
public:
    using Experiment_Stats::Experiment_Stats;
    void start() override {}
    void finish() override {}
};

void readEveryRecord(const TrackDataFile& track)
{
    for (quint32 key : track.keys()) {
        if (track.readRecordBytes(key).isEmpty())
            std::abort();
        TrackFrame frame;
        track.readRecord(key, frame);
        TrackFrame legacy;
        track.readRecordWith(key, legacy, readTrackFrameLegacy);
    }
    if (track.message().isEmpty() && track.recordCount() != quint32(track.keys().size()))
        std::abort();
}

void checkHandedOutFrames(ReviewedRecord& record)
{
    if (!record.openTrackForReview())
        return;
    const QSize frameSize(record.getRecognitionFrameWidth(), record.getRecognitionFrameHeight());
    qint64 lastTime = std::numeric_limits<qint64>::min();
    for (quint32 key : record.trackFile()->keys()) {
        TrackFrame frame;
        if (!record.readTrackFrame(key, frame) || !frame.detected)
            continue;
        if (!frame.fitsFrame(frameSize) || frame.timeMs < lastTime)
            std::abort();
        lastTime = frame.timeMs;
    }
}

QByteArray bytesOnDisk(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_trackreader";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    const QString path = fuzzInputFile(QStringLiteral("Track.tdata"), data, size);
    const QDir folder = QFileInfo(path).dir();
    {
        TrackDataFile track;
        if (track.open(path, true))
            readEveryRecord(track);
        ReviewedRecord record(folder.filePath(QStringLiteral("Stats.xml")), false);
        checkHandedOutFrames(record);
    }
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytesOnDisk(path) != input
        || folder.entryList(QDir::Files | QDir::Hidden | QDir::System) != QStringList{QStringLiteral("Track.tdata")})
        std::abort();
    return 0;
}
