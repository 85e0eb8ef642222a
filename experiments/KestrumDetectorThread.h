#pragma once

#include "FrameRateCounter.h"
#include "ImageThread.h"
#include "UCharMat.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <mutex>

class BaseExperiment;
class KestrumSettings;

// Finds the animal in the camera frames of one apparatus by comparing each frame with a
// reference background, and drives the running experiment with the result: the experiment's
// per-frame step and its track record run here, in the detector's own thread. The loop runs
// from construction; frames are analysed once a background has been set.
//
// One analysis mutex covers the whole analysis of a frame and every replacement of what it
// reads (the background, the experiment), so a new calibration or a detached experiment never
// meets a frame half-way, and every way out of an analysis releases it. The experiment's
// per-frame step runs under it and so must never wait for the user-interface thread.
class KestrumDetectorThread : public ZCV::ImageThread
{
    Q_OBJECT

public:
    enum DiffMode_Type { DiffMode_Abs = 0, DiffMode_IfDarker = 1, DiffMode_IfBrighter = 2 };
    Q_ENUM(DiffMode_Type)

    // Left out of the analysis, in per cent of the height at the top and bottom and of the
    // width at the left and right; the paradigms' zone masks leave out the same.
    static constexpr int marginTopBottomPercent = 18;
    static constexpr int marginLeftRightPercent = 12;

    // Shared by all detectors: written from the application settings in the user-interface
    // thread, read once per frame by every detector.
    static inline std::atomic<uchar> detectionThreshold{10};
    static inline std::atomic<int> detectionDiffMode{DiffMode_IfBrighter};
    static inline std::atomic<int> detectionErode{3};
    static inline std::atomic<int> detectionDilate{10};
    static inline std::atomic<int> detectionMinArea{420};
    static inline std::atomic<uchar> detectionMaxBrightness{240};
    static void applyDetectionSettings(const KestrumSettings& settings);

    explicit KestrumDetectorThread(QObject* parent = nullptr);
    ~KestrumDetectorThread() override;

    // Not owned; null detaches. Returns once no frame uses the previous experiment any more.
    void setExperiment(BaseExperiment* experiment);
    // A null frame leaves the detector as it was.
    void setBackground(const QImage& frame);
    // Frames are compared with the first reference; the two are only reported side by side.
    void setBackgroundPair(const QImage& first, const QImage& second);
    // No frame is analysed until a background is set again.
    void clearBackground();
    // The size every frame is analysed at, and so the frame of the centres it reports.
    QSize recognitionFrameSize() const { return workSize; }
    // A frame as the analysis sees it: at the working size, in grey levels, margins blanked;
    // empty for a null frame.
    UCharMat toGreyMatrix(const QImage& frame) const;

signals:
    void frameProcessed(bool detected, QPoint center, int area, QRect rect, bool is_in_dangerZone);
    void overlayGenerated(QImage image);

protected:
    void processImage() override;

private:
    struct Detection
    {
        bool detected = false;
        QPoint center{-1, -1};
        QRect rect{0, 0, 0, 0};
        unsigned int area = 0;
        UCharMat blob;
    };

    Detection detect(const UCharMat& current) const;
    void replaceBackground(UCharMat matrix);
    void reportFrameRate();

    const QSize workSize{640, 480};
    const QString threadName;
    std::mutex analysisMutex;
    bool enabled = false;
    BaseExperiment* experiment = nullptr;
    UCharMat background;
    FrameRateCounter frameRate;
};
