// Opens arbitrary bytes as a run's track file for review and reads every record in both
// record layouts. Neither may crash, hang or read outside the file; a file the reviewer
// rebuilds must then open cleanly.
#include "FuzzScratch.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <cstdint>
#include <cstdlib>

namespace {

void readEveryRecord(const TrackDataFile& track)
{
    int budget = 4096;
    for (quint32 key : track.keys()) {
        if (--budget < 0)
            break;
        TrackFrame frame;
        track.readRecord(key, frame);
        TrackFrame legacy;
        track.readRecordWith(key, legacy, readTrackFrameLegacy);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzInputFile(QStringLiteral("Track.tdata"), data, size);
    TrackDataFile track;
    if (!track.open(path, true))
        return 0;
    readEveryRecord(track);
    if (track.wasRepaired()) {
        TrackDataFile again;
        if (!again.open(path, true) || again.wasRepaired() || again.keys() != track.keys())
            std::abort();
    }
    return 0;
}
