#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVideoSink>

// The virtual camera ("Virt"): a synthetic picture source that stands in for a camera. At every
// tick of its timer it hands the next picture to its sink as a real video frame, so everything
// after the sink (display, detection, recording) runs as with a camera.
//
// Its own animation is 100 frames of 640 × 480: a red disc of 100 px, its box's left edge at
// x = 100 + i in frame i, on grey; played in order, it moves right by a pixel a frame and jumps
// back after the hundredth. Frames are drawn when they are shown, not kept.
class VirtualMediaPlayer : public QObject
{
    Q_OBJECT

public:
    static constexpr int animationFrames = 100;
    static constexpr int defaultIntervalMs = 33;

    explicit VirtualMediaPlayer(QObject* parent = nullptr);

    // Not owned; frames go nowhere while there is none.
    void setVideoSink(QVideoSink* sink);
    QVideoSink* videoSink() const;
    void stop();
    bool isPlaying() const;
    int intervalMs() const;
    // The number of the animation frame last shown, 1 .. 100; 0 before the first.
    int frameIndex() const;

    static QImage animationFrame(int index);

public slots:
    // Starts the ticks.
    void play();
    // Hands the next picture to the sink at once.
    void pushNextFrame();

signals:
    void played();

protected:
    // The picture of the next tick; null when there is none.
    virtual QImage nextImage();
    void setIntervalMs(int ms);

private:
    QTimer timer;
    QPointer<QVideoSink> sink;
    int index = 0;
};
