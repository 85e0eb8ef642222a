#pragma once

#include "PlayableOverlay.h"

#include <QList>
#include <QPoint>

// An overlay drawn from the animal's centre in every record of the track. The centres are
// prepared in the loader thread's pass over the track, beside the record times, so painting only
// slices the prepared list.
class PlayableOverlayWithPoints : public PlayableOverlay
{
    Q_OBJECT

public:
    // The centre of a record without an animal: never drawn, never joined to another point.
    static constexpr QPoint noPoint{-100, -100};

    explicit PlayableOverlayWithPoints(const QString& name, QWidget* parent = nullptr);
    // Detaches first: the pass fills this object's own list.
    ~PlayableOverlayWithPoints() override;

    // One per record, in record order; empty until the pass is done.
    const QList<QPoint>& points() const { return centres; }
    // The centre drawn for a record: noPoint unless it was read and holds an animal in the frame.
    static QPoint centreOf(bool readable, const TrackFrame& frame);

protected:
    ReplayTrack::RecordVisitor recordVisitor() override;
    void loadingFinished() override;
    void finishLoading() override;

private:
    QList<QPoint> centres;
    // The loader thread's while a pass runs.
    QList<QPoint> loadingCentres;
};
