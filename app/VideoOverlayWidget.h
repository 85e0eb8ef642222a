#pragma once

#include <QSize>
#include <QWidget>

class QPainter;

// A transparent widget laid over a video, which draws in the video's own pixels: the player
// tells where the video is shown inside the widget (offset) and at which zoom (scale).
class VideoOverlayWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VideoOverlayWidget(QWidget* parent = nullptr);

    void setVideoSize(QSize size);
    void setVideoMapping(float scale, int x, int y);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Paints in video pixels, the painter already mapped onto the shown video.
    virtual void paintOverlay(QPainter& painter) = 0;

    QSize videoSize() const { return video; }
    float scale() const { return zoom; }

private:
    float zoom = 1.0f;
    QSize video;
    int offsetX = 0;
    int offsetY = 0;
};
