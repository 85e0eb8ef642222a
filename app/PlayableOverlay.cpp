#include "PlayableOverlay.h"

#include "TrackDataFile.h"
#include "ZBackgroundThread.h"

namespace {
// A file another reader holds is tried again this much later.
constexpr unsigned int retryMs = 100;
} // namespace

PlayableOverlay::PlayableOverlay(const QString& name, QWidget* parent)
    : VideoOverlayWidget(parent)
{
    setObjectName(name);
}

PlayableOverlay::~PlayableOverlay()
{
    stopPass();
}

void PlayableOverlay::setTrackFile(TrackDataFile* file)
{
    attach(file, false);
}

void PlayableOverlay::setLegacyTrackFile(TrackDataFile* file)
{
    attach(file, true);
}

void PlayableOverlay::clearTrack()
{
    stopPass();
    finishLoading();
    file = nullptr;
    replay = ReplayTrack();
    update();
}

void PlayableOverlay::attach(TrackDataFile* newFile, bool legacy)
{
    clearTrack();
    if (newFile) {
        file = newFile;
        replay = ReplayTrack(newFile->keys(), legacy);
        startPass();
    }
    index = 0;
    setFrame(0);
}

void PlayableOverlay::setVideoStart(qint64 wallMs)
{
    videoStartMs = wallMs;
}

void PlayableOverlay::syncToPosition(qint64 position, qint64 duration)
{
    lastPosition = position;
    lastDuration = duration;
    const std::optional<int> found = replay.recordIndexAt(position, duration, videoStartMs);
    if (!found)
        return;
    index = *found;
    setFrame(index);
}

int PlayableOverlay::frameCount() const
{
    return replay.count();
}

void PlayableOverlay::setFrame(int)
{
}

ReplayTrack::RecordVisitor PlayableOverlay::recordVisitor()
{
    return {};
}

void PlayableOverlay::loadingFinished()
{
}

void PlayableOverlay::finishLoading()
{
}

void PlayableOverlay::showEvent(QShowEvent* event)
{
    VideoOverlayWidget::showEvent(event);
    startLoader();
    // A hidden overlay follows the position without reading the track.
    setFrame(index);
}

// The pass runs in the loader thread on copies of what it needs, and stops as soon as the
// loader is asked to stop.
void PlayableOverlay::startPass()
{
    loading = true;
    loader = std::make_unique<ZBackgroundThread>(retryMs, false);
    ZBackgroundThread* thread = loader.get();
    connect(
        thread, &ZBackgroundThread::doWork, thread,
        [this, thread, source = file, attached = replay, visit = recordVisitor()] {
            if (!source->claim())
                return;
            ReplayTrack loaded = attached;
            const bool complete = loaded.load(
                *source, [thread] { return thread->isWorking(); }, visit);
            source->release();
            if (!complete)
                return;
            thread->stopWorking();
            {
                const std::lock_guard lock(loadedMutex);
                loadedTrack = std::move(loaded);
            }
            QMetaObject::invokeMethod(this, &PlayableOverlay::takeLoadedTrack, Qt::QueuedConnection);
        },
        Qt::DirectConnection);
    startLoader();
}

void PlayableOverlay::startLoader()
{
    if (!loading || !loader || !isVisible() || loader->isWorking())
        return;
    loader->trigger();
    loader->startWorking();
}

// Destroying the loader waits for its pass.
void PlayableOverlay::stopPass()
{
    loading = false;
    loader.reset();
    const std::lock_guard lock(loadedMutex);
    loadedTrack.reset();
}

void PlayableOverlay::takeLoadedTrack()
{
    std::optional<ReplayTrack> loaded;
    {
        const std::lock_guard lock(loadedMutex);
        loaded.swap(loadedTrack);
    }
    if (!loaded)
        return;
    replay = std::move(*loaded);
    loading = false;
    loadingFinished();
    if (lastDuration >= 1)
        syncToPosition(lastPosition, lastDuration);
    else
        setFrame(index);
    update();
}
