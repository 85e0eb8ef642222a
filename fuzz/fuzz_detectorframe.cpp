// Hands the animal detector camera frames of any size, format and content, with any detection
// parameters the settings allow, as a broken or foreign camera would deliver them. Every frame
// must give exactly one result, the same one when analysed again: no animal, or an animal whose
// centre lies in the working frame, with an area that fits it and an overlay showing it.
#include "KestrumDetectorThread.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const QImage::Format formats[] = {
    QImage::Format_Grayscale8, QImage::Format_RGB32,    QImage::Format_ARGB32_Premultiplied,
    QImage::Format_RGB888,     QImage::Format_RGBA8888, QImage::Format_RGB16,
    QImage::Format_Indexed8,   QImage::Format_Mono};
constexpr size_t headerSize = 12;
constexpr int maxSide = 1000;

struct Result
{
    int count = 0;
    bool detected = false;
    QPoint center;
    int area = 0;
    QImage overlay;
};

class SteppedDetector : public KestrumDetectorThread
{
public:
    SteppedDetector()
    {
        stop();
        wait();
        connect(this, &KestrumDetectorThread::frameProcessed, this, [this](bool detected, QPoint center, int area) {
            ++result.count;
            result.detected = detected;
            result.center = center;
            result.area = area;
        });
        connect(this, &KestrumDetectorThread::overlayGenerated, this,
                [this](const QImage& overlay) { result.overlay = overlay; });
    }

    Result step(const QImage& frame)
    {
        result = {};
        image = frame;
        processImage();
        return result;
    }

private:
    Result result;
};

void useParameters(const uint8_t* header)
{
    KestrumDetectorThread::detectionThreshold = header[0];
    KestrumDetectorThread::detectionDiffMode = header[1] % 3;
    KestrumDetectorThread::detectionErode = 1 + header[2] % 30;
    KestrumDetectorThread::detectionDilate = 1 + header[3] % 30;
    KestrumDetectorThread::detectionMinArea = 100 + header[4] % 91 * 10;
    KestrumDetectorThread::detectionMaxBrightness = uchar(100 + header[5] % 156);
}

// The pixel bytes are the input's remaining bytes, repeated.
QImage frameFrom(const uint8_t* header, const uint8_t* pixels, size_t count)
{
    const int width = 1 + (header[6] | header[7] << 8) % maxSide;
    const int height = 1 + (header[8] | header[9] << 8) % maxSide;
    QImage frame(width, height, formats[header[10] % std::size(formats)]);
    if (frame.format() == QImage::Format_Indexed8 && header[11] % 2 == 0)
        frame.setColorCount(256);
    uchar* bytes = frame.bits();
    const size_t total = size_t(frame.sizeInBytes());
    std::memset(bytes, 0, total);
    for (size_t at = 0; count && at < total; at += count)
        std::memcpy(bytes + at, pixels, std::min(count, total - at));
    return frame;
}

bool plausible(const Result& result)
{
    const QSize work(640, 480);
    if (result.count != 1 || result.overlay.size() != work || result.detected != (result.area > 0))
        return false;
    if (!result.detected)
        return result.center == QPoint(-1, -1) && result.overlay.pixelColor(0, 0).alpha() == 0;
    return QRect(QPoint(0, 0), work).contains(result.center) && result.area <= work.width() * work.height()
           && result.overlay.pixelColor(result.center).alpha() > 0;
}

bool same(const Result& a, const Result& b)
{
    return a.detected == b.detected && a.center == b.center && a.area == b.area && a.overlay == b.overlay;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    Q_UNUSED(quiet);
    static SteppedDetector detector;
    if (size < headerSize)
        return 0;
    useParameters(data);
    QImage background(640, 480, QImage::Format_Grayscale8);
    background.fill(data[11]);
    detector.setBackground(background);
    const QImage frame = frameFrom(data, data + headerSize, size - headerSize);
    const Result first = detector.step(frame);
    if (!plausible(first) || !same(first, detector.step(frame)))
        std::abort();
    return 0;
}
