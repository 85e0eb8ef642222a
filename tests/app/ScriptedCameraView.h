#pragma once

#include "PanelCameraView.h"
#include "VideoRecorder.h"

#include <QImage>
#include <QTest>

#include <functional>

// A panel's camera view for tests: the test hands each frame in; a run's video is written by
// the OpenCV recorder on the test's clock, as the camera view writes any source that is not a
// camera. Each analysed frame comes back as the detector's overlay.
class ScriptedCameraView : public PanelCameraView
{
public:
    explicit ScriptedCameraView(const Clock* clock, double frameRate)
        : clock(clock)
    {
        recorder.setClock(clock);
        recorder.setFramerate(frameRate);
        QObject::connect(&recorder, &VideoRecorder::recordFinished, this, [this] { ++videosFinished; });
        QObject::connect(&recorder, &VideoRecorder::recordFailed, this, [this] { ++videosFailed; });
        QObject::connect(&recorder, &VideoRecorder::recordFailed, this, &PanelCameraView::recordingFailed,
                         Qt::DirectConnection);
    }

    // Hands the frame to the panel and returns once the panel's detector has analysed it. A
    // frame that arrives while the detector is still busy with the one before is dropped there,
    // as with a camera; it is handed in again then.
    bool deliverAnalysed(const QImage& frame)
    {
        return untilAnalysed([&] { deliver(frame); }, overlays);
    }

    // Delivers until a delivery has been analysed, which `analysed` counts.
    static bool untilAnalysed(const std::function<void()>& deliver, const int& analysed)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int before = analysed;
            deliver();
            if (QTest::qWaitFor([&] { return analysed > before; }, 3000))
                return true;
        }
        return false;
    }

    // Hands the frame to the panel and lets it take it.
    void deliver(const QImage& frame)
    {
        size = frame.size();
        recorder.setFrame(frame);
        emit fetchFrame(frame);
        QTest::qWait(0);
    }

    QSize frameSize() const override { return size; }
    // The video begins when it is asked for, as the camera view's does.
    void startRecord(const QString& path, QMediaRecorder::Quality) override
    {
        emit recordingStarted(clock->wallMs());
        recorder.startRecord(path);
    }
    void stopRecord() override { recorder.stopRecord(); }
    void drawUnderlay(const QImage& image) override { underlay = image; }
    void drawOverlay(const QImage& image) override
    {
        overlay = image;
        overlays += image.isNull() ? 0 : 1;
    }

    bool videoEnded() const { return videosFinished + videosFailed > 0 && !recorder.isSavingFile(); }

    const Clock* clock;
    VideoRecorder recorder;
    QImage underlay;
    // The last one drawn; null when the layer was removed.
    QImage overlay;
    int overlays = 0;
    int videosFinished = 0;
    int videosFailed = 0;

private:
    QSize size;
};
