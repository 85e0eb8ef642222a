#pragma once

#include <QImage>
#include <QMediaRecorder>
#include <QObject>
#include <QSize>
#include <QString>

// What an apparatus panel needs of its camera view: every frame it shows, the layers painted
// under and over the picture, and the recording of a run's video. The camera widget plugs in
// through it, and so does anything else that delivers frames (a test, a benchmark).
class PanelCameraView : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The size of the frames delivered; empty before the first one.
    virtual QSize frameSize() const = 0;
    virtual void startRecord(const QString& path, QMediaRecorder::Quality quality) = 0;
    virtual void stopRecord() = 0;
    // A null image removes the layer.
    virtual void drawUnderlay(const QImage& image) = 0;
    virtual void drawOverlay(const QImage& image) = 0;

signals:
    void fetchFrame(const QImage& frame);
    // The recording's first frame is being written: the wall-clock time (ms since the epoch)
    // the video begins at. May come from the recorder's thread.
    void recordingStarted(qint64 wallMs);
    // The recording to `path` cannot be written or saved, for the reason given. May come from
    // the recorder's thread, also while the recording still runs.
    void recordingFailed(const QString& path, const QString& reason);
};
