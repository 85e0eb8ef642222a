// Plays arbitrary bytes laid down as the file-backed virtual camera's clip, as a damaged or
// foreign video would be. Opening either fails or reports a sane size, frame count and tick; each
// tick then gives a picture of sane size in 32-bit RGB with the position one on (or back at the
// first frame after the end), or no picture and the position unchanged.
#include "FuzzScratch.h"
#include "VirtualCameraDevice.h"

#include <opencv2/core/utils/logger.hpp>

#include <cstdint>
#include <cstdlib>

namespace {
constexpr int ticks = 4;
constexpr int largestSide = 1 << 16;

struct ClipProbe : VirtualCameraDevice
{
    using VirtualCameraDevice::nextImage;
};

bool saneOpening(const ClipProbe& clip)
{
    const QSize size = clip.frameSize();
    return size.width() >= 0 && size.width() <= largestSide && size.height() >= 0 && size.height() <= largestSide
           && clip.frameCount() >= 0 && clip.intervalMs() >= 4 && clip.intervalMs() <= 1000 && clip.position() == -1;
}

bool saneTick(const QImage& image, int before, int after)
{
    if (image.isNull())
        return after == before;
    return image.format() == QImage::Format_RGB32 && image.width() <= largestSide && image.height() <= largestSide
           && (after == before + 1 || after == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
        return true;
    }();
    Q_UNUSED(quiet);

    ClipProbe clip;
    if (!clip.open(fuzzInputFile(QStringLiteral("clip.mp4"), data, size)))
        return 0;
    if (!saneOpening(clip))
        std::abort();
    for (int tick = 0; tick < ticks; ++tick) {
        const int before = clip.position();
        const QImage image = clip.nextImage();
        if (!saneTick(image, before, clip.position()))
            std::abort();
    }
    return 0;
}
