#pragma once

#include "PlayableOverlay.h"
#include "TrackFrame.h"

#include <QImage>

// Shows what the detector found in the frame on screen: the animal's blob, half transparent,
// and the two marker points when the record carries them.
class RatOverlayWidget : public PlayableOverlay
{
    Q_OBJECT

public:
    explicit RatOverlayWidget(QWidget* parent = nullptr);

protected:
    // Reads the record while shown. A file that another reader holds is left alone, and the
    // record shown before stays.
    void setFrame(int index) override;
    void paintOverlay(QPainter& painter) override;

private:
    void paintMarker(QPainter& painter, QPoint point, const QColor& colour) const;

    TrackFrame record;
    QImage blob;
};
