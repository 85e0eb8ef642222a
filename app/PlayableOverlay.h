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
// reading when it is first shown. A subclass that needs more of every record than its time
// gathers it in the same pass (recordVisitor). Until the pass is done the position maps to the
// first record, and the overlay takes up the position again when the pass is done. Detaching
// (another file, null, clearTrack, destruction) stops the pass and waits for it, so the caller
// may close the file as soon as it is detached; a subclass whose visitor fills its own members
// detaches in its destructor.
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
    // The wall-clock time (ms since the epoch) at which the run's video began, as the run noted
    // it; 0 when it is not known, and the video is taken to begin with the track.
    void setVideoStart(qint64 wallMs);
    void syncToPosition(qint64 position, qint64 duration);

    int frameCount() const;
    int currentIndex() const { return index; }
    // The whole track is still being read.
    bool isLoading() const { return loading; }

protected:
    // Shows record `index`: -1 before the first record, frameCount() past the last.
    virtual void setFrame(int index);
    // Asked in the user-interface thread as a pass over the attached track begins: what the
    // loader thread is to hand every record to. Nothing else touches what it fills until the
    // pass is done (loadingFinished) or stopped (finishLoading).
    virtual ReplayTrack::RecordVisitor recordVisitor();
    // The pass is complete: what the visitor filled may be used.
    virtual void loadingFinished();
    // The track is detached, and no pass runs any more.
    virtual void finishLoading();
    void showEvent(QShowEvent* event) override;

    TrackDataFile* trackFile() const { return file; }
    const ReplayTrack& track() const { return replay; }

private:
    void attach(TrackDataFile* file, bool legacy);
    void startPass();
    void startLoader();
    void stopPass();
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
    qint64 videoStartMs = 0;
    qint64 lastPosition = 0;
    qint64 lastDuration = 0;
};
