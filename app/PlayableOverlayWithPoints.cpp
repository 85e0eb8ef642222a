#include "PlayableOverlayWithPoints.h"

#include "TrackFrame.h"

PlayableOverlayWithPoints::PlayableOverlayWithPoints(const QString& name, QWidget* parent)
    : PlayableOverlay(name, parent)
{
}

PlayableOverlayWithPoints::~PlayableOverlayWithPoints()
{
    clearTrack();
}

// A record without a centre in the frame keeps its place, so the list stays in step with the
// records.
ReplayTrack::RecordVisitor PlayableOverlayWithPoints::recordVisitor()
{
    centres.clear();
    loadingCentres.clear();
    return [this](bool readable, const TrackFrame& frame) { loadingCentres.append(centreOf(readable, frame)); };
}

QPoint PlayableOverlayWithPoints::centreOf(bool readable, const TrackFrame& frame)
{
    const bool seen = readable && frame.detected && frame.centerX >= 1 && frame.centerY >= 0;
    return seen ? frame.center() : noPoint;
}

void PlayableOverlayWithPoints::loadingFinished()
{
    centres = std::exchange(loadingCentres, {});
}

void PlayableOverlayWithPoints::finishLoading()
{
    centres.clear();
    loadingCentres.clear();
}
