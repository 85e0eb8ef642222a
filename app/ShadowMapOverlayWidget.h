#pragma once

#include "HeatMapRenderer.h"
#include "PlayableOverlayWithPoints.h"

// Shows where the animal has been during the last records before the one on screen: as a path
// that thins out towards the past, or as a heat map. Before the first record (and at it) the
// heat map covers the whole run, and there is no path yet.
class ShadowMapOverlayWidget : public PlayableOverlayWithPoints
{
    Q_OBJECT

public:
    enum OverlayView { Path = 0, HeatMap = 1 };
    Q_ENUM(OverlayView)

    // How many records the path and the heat map reach back.
    static constexpr int tail = 100;

    explicit ShadowMapOverlayWidget(QWidget* parent = nullptr);

    void setView(OverlayView view);
    OverlayView view() const { return shownView; }

protected:
    void paintOverlay(QPainter& painter) override;

private:
    void paintLoading(QPainter& painter) const;
    void paintHeatMap(QPainter& painter) const;
    void paintPath(QPainter& painter) const;

    HeatMapRenderer renderer{24, 3, 0.8};
    OverlayView shownView = HeatMap;
};
