#pragma once

#include <QList>
#include <QWidget>

class QGridLayout;
class VideoOverlayWidget;

// Stacks overlays on one another, each covering the whole widget, which lies over the video.
class WidgetWithOverlays : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetWithOverlays(QWidget* parent = nullptr);

    void addOverlay(VideoOverlayWidget* overlay);
    // Where the video is shown, passed on to every overlay.
    void setVideoMapping(float scale, int x, int y);

private:
    QGridLayout* grid;
    QList<VideoOverlayWidget*> overlays;
};
