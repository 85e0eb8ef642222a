#pragma once

#include "ReplayTrack.h"
#include "VideoOverlayWidget.h"

#include <memory>
#include <mutex>
#include <optional>

class TrackDataFile;
class ZBackgroundThread;

// An overlay that follows the playback of a run's video with the run's track: the playback
// position picks the track record shown (setFrame).
//
// Attaching a track reads the whole file once, in the overlay's own loader thread, so that a
// long run attaches without holding up the window; an overlay attached while hidden starts
// reading when it is first shown. Until the pass is done the position maps to the first record,
// and the overlay takes up the position again when the pass is done. Detaching (another file,
// null, clearTrack, destruction) stops the pass and waits for it, so the caller may close the
// file as soon as it is detached.
class PlayableOverlay : public VideoOverlayWidget
{
    Q_OBJECT

public:
    explicit PlayableOverlay(const QString& name, QWidget* parent = nullptr);
    ~PlayableOverlay() override;

    // The run's Track.tdata, opened for review and owned by the caller; null detaches.
    void setTrackFile(TrackDataFile* file);
    // The older Track.data of a run, whose records carry no time; null detaches.
    void setLegacyTrackFile(TrackDataFile* file);
    void clearTrack();
    void syncToPosition(qint64 position, qint64 duration);

    int frameCount() const;
    int currentIndex() const { return index; }
    // The whole track is still being read.
    bool isLoading() const { return loading; }

protected:
    // Shows record `index`: -1 before the first record, frameCount() past the last.
    virtual void setFrame(int index);
    void showEvent(QShowEvent* event) override;

    TrackDataFile* trackFile() const { return file; }
    const ReplayTrack& track() const { return replay; }

private:
    void attach(TrackDataFile* file, bool legacy);
    void startLoading();
    void startLoader();
    void finishLoading();
    void takeLoadedTrack();

    TrackDataFile* file = nullptr;
    ReplayTrack replay;
    std::unique_ptr<ZBackgroundThread> loader;
    bool loading = false;
    // Where the loader leaves the track it read; emptied when the file is detached, so that a
    // result still on its way from a detached file finds nothing.
    std::mutex loadedMutex;
    std::optional<ReplayTrack> loadedTrack;
    int index = 0;
    qint64 lastPosition = 0;
    qint64 lastDuration = 0;
};
