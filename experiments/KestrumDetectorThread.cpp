#include "KestrumDetectorThread.h"

#include "BaseExperiment.h"
#include "GlobalConsole.h"
#include "KestrumSettings.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QPainter>
#include <opencv2/imgproc.hpp>

namespace {

const QColor dangerColor(255, 50, 0, 100);
const QColor safeColor(30, 255, 0, 100);
const QColor markColor(255, 255, 0, 200);
constexpr int markPenWidth = 3;
constexpr int markDiameter = 10;
constexpr int fpsWindowMs = 5000;
constexpr int statisticWindow = 5;
constexpr uchar onValue = 255;
constexpr uchar offValue = 0;

std::atomic<int> detectorsCreated{0};

// Grey frames, and the 32-bit formats whose bytes lie in the order blue, green, red, alpha on
// the little-endian machines the system runs on, are read as they are; others are converted.
bool directlyReadable(const QImage& frame)
{
    switch (frame.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

// The blob in its colour on a transparent frame, in QImage's native 32-bit format: the track's
// encoder and the painters then take it as it is, where a conversion would cost more than the
// whole analysis. The matrix writes the colour's bytes as red, green, blue, alpha; with red and
// blue exchanged they are the bytes of Format_ARGB32 on a little-endian machine.
QImage overlayImage(const UCharMat& blob, const QColor& colour)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    QImage overlay =
        blob.toQImage(QColor(colour.blue(), colour.green(), colour.red(), colour.alpha()), Qt::transparent);
    overlay.reinterpretAsFormat(QImage::Format_ARGB32);
    return overlay;
}

// The centre as a small circle and the blob's extent as the ellipse inscribed in its rectangle.
void drawMarks(QImage& overlay, QPoint center, const QRect& rect)
{
    if (center.x() < 1 || center.y() < 1)
        return;
    QPainter painter(&overlay);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(markColor, markPenWidth));
    painter.drawEllipse(QPointF(center), markDiameter / 2.0, markDiameter / 2.0);
    painter.setPen(QPen(markColor));
    painter.drawEllipse(rect);
}

// A pair of references is one dark and one lit frame; each side's threshold lies halfway
// between its two references. The figures are reported for the calibration's record only.
void reportZoneThresholds(const UCharMat& first, const UCharMat& second)
{
    const auto [firstLeft, firstRight] = first.splitHalves();
    const auto [secondLeft, secondRight] = second.splitHalves();
    const QList<int> averages{firstLeft.meanAbove(-1), firstRight.meanAbove(-1), secondLeft.meanAbove(-1),
                              secondRight.meanAbove(-1)};
    const QList<int> thresholds{(averages[0] + averages[2]) / 2, (averages[1] + averages[3]) / 2};
    qDebug() << "avgs" << averages << "threshes" << thresholds;
}

} // namespace

void KestrumDetectorThread::applyDetectionSettings(const KestrumSettings& settings)
{
    // A sensitivity of 0 % to 100 % is a difference threshold of 51 down to 1 grey levels.
    detectionThreshold = uchar(1 + ((100 - settings.getDetectorSensitivity()) * 50) / 100);
    detectionDiffMode = settings.getDiffMode();
    detectionErode = settings.getDiffErode();
    detectionDilate = settings.getDiffDilate();
    detectionMinArea = settings.getDiffMinArea();
    detectionMaxBrightness = uchar(settings.getMaxBrightness());
}

KestrumDetectorThread::KestrumDetectorThread(QObject* parent)
    : ZCV::ImageThread(parent)
    , threadName(QStringLiteral("KsThd") + QString::number(++detectorsCreated))
{
    setObjectName(threadName);
    qRegisterMetaType<DiffMode_Type>();
    frameRate.setMaxWatchTime(fpsWindowMs);
    start(10);
}

KestrumDetectorThread::~KestrumDetectorThread()
{
    stop();
    wait();
}

void KestrumDetectorThread::setExperiment(BaseExperiment* newExperiment)
{
    std::lock_guard lock(analysisMutex);
    experiment = newExperiment;
}

void KestrumDetectorThread::setBackground(const QImage& frame)
{
    replaceBackground(toGreyMatrix(frame));
}

void KestrumDetectorThread::setBackgroundPair(const QImage& first, const QImage& second)
{
    UCharMat firstMatrix = toGreyMatrix(first);
    const UCharMat secondMatrix = toGreyMatrix(second);
    if (firstMatrix.data.isEmpty() || secondMatrix.data.isEmpty())
        return;
    reportZoneThresholds(firstMatrix, secondMatrix);
    replaceBackground(std::move(firstMatrix));
}

void KestrumDetectorThread::clearBackground()
{
    std::lock_guard lock(analysisMutex);
    background = UCharMat();
    enabled = false;
}

// A reference that gave no matrix (a null frame) leaves the detector as it was.
void KestrumDetectorThread::replaceBackground(UCharMat matrix)
{
    if (matrix.data.isEmpty())
        return;
    std::lock_guard lock(analysisMutex);
    background = std::move(matrix);
    enabled = true;
}

// References and live frames take this one way, so both hold the same grey levels. The frame
// is brought to the working size first, so the colour conversion handles the fewest pixels.
// OpenCV does both, many times faster than QImage's scaling of grey images and its
// colour-managed grey conversion: colour frames cost most of a frame's time otherwise.
UCharMat KestrumDetectorThread::toGreyMatrix(const QImage& frame) const
{
    const QImage source = directlyReadable(frame) ? frame : frame.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        return {};
    const bool colour = source.format() != QImage::Format_Grayscale8;
    const cv::Mat input(source.height(), source.width(), colour ? CV_8UC4 : CV_8UC1,
                        const_cast<uchar*>(source.constBits()), size_t(source.bytesPerLine()));
    cv::Mat scaled = input;
    if (source.size() != workSize)
        cv::resize(input, scaled, cv::Size(workSize.width(), workSize.height()), 0, 0, cv::INTER_NEAREST);
    cv::Mat grey = scaled;
    if (colour)
        cv::cvtColor(scaled, grey, cv::COLOR_BGRA2GRAY);
    return UCharMat::fromQImage(
        QImage(grey.data, grey.cols, grey.rows, qsizetype(grey.step), QImage::Format_Grayscale8),
        marginTopBottomPercent, marginLeftRightPercent);
}

void KestrumDetectorThread::reportFrameRate()
{
    frameRate.nextFrame();
    GlobalConsole::countAverage(threadName + QStringLiteral("FpsHz"), frameRate.getFrameRate(), statisticWindow);
}

KestrumDetectorThread::Detection KestrumDetectorThread::detect(const UCharMat& current) const
{
    const UCharMat mask = UCharMat::combineMask(current, background, detectionThreshold, detectionDiffMode,
                                                detectionMaxBrightness, onValue, offValue)
                              .erode(detectionErode)
                              .dilate(detectionDilate);
    QList<UCharMatRegion> regions = mask.labelRegions(0);
    const int minArea = detectionMinArea;
    const qsizetype found = regions.size();
    Detection detection;
    const auto maskOf = [&](bool filter) {
        return UCharMat::maskFromRegions(workSize.width(), workSize.height(), regions, minArea, onValue, offValue,
                                         &detection.center, &detection.rect, &detection.area, filter);
    };
    detection.blob = maskOf(true);
    // Regions far from the median point were dropped: the blob is painted again without them.
    if (regions.size() != found)
        detection.blob = maskOf(false);
    detection.detected = detection.area > 0;
    return detection;
}

void KestrumDetectorThread::processImage()
{
    reportFrameRate();
    std::lock_guard lock(analysisMutex);
    if (!enabled)
        return;
    QElapsedTimer timer;
    timer.start();
    const UCharMat current = toGreyMatrix(image);
    if (current.data.isEmpty()) {
        qDebug() << "Empty image!";
        return;
    }
    const Detection found = detect(current);
    bool inDanger = false;
    if (experiment)
        experiment->processFrame(found.detected, workSize, found.center, found.rect, inDanger);
    QImage overlay = overlayImage(found.blob, inDanger ? dangerColor : safeColor);
    if (experiment)
        experiment->saveTrack(found.detected, overlay, found.center, found.rect, int(found.area));
    emit frameProcessed(found.detected, found.center, int(found.area), found.rect, inDanger);
    drawMarks(overlay, found.center, found.rect);
    emit overlayGenerated(overlay);
    GlobalConsole::countAverage(threadName + QStringLiteral("ProcessMs"), timer.nsecsElapsed() / 1e6, statisticWindow);
}
