// Chooses among formats as a camera might report them, rates of any value included (NaN,
// infinities, negatives). The choice must be one of the offers or none; a chosen format has one
// of the sizes and pixel formats the rules ask for and a real rate; and a format of the wanted
// size in YUYV is never passed over for nothing.
#include "CameraFormatSelector.h"

#include <QtGlobal>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t bytesPerOffer = 4 + 4 + 4 + 1;

const QSize fullHd(1920, 1080);
const QList<QSize> commonSizes{QSize(640, 480), QSize(1280, 720), fullHd, QSize(320, 240)};
const QList<QVideoFrameFormat::PixelFormat> commonFormats{
    QVideoFrameFormat::Format_YUYV, QVideoFrameFormat::Format_NV12, QVideoFrameFormat::Format_YUV420P,
    QVideoFrameFormat::Format_Jpeg};

float floatAt(const uint8_t* data)
{
    float value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// Sizes and pixel formats mostly from the common ones, so that the rules meet matches often.
CameraFormatOffer offerAt(const uint8_t* data)
{
    const int width = data[0] | (data[1] << 8);
    const int height = data[2] | (data[3] << 8);
    const QSize size = data[0] < 200 ? commonSizes[data[1] % commonSizes.size()] : QSize(width, height);
    const auto format = data[12] < 200 ? commonFormats[data[12] % commonFormats.size()]
                                       : QVideoFrameFormat::PixelFormat(data[12] % QVideoFrameFormat::NPixelFormats);
    return CameraFormatOffer{size, floatAt(data + 4), floatAt(data + 8), format};
}

bool askedFor(QVideoFrameFormat::PixelFormat format)
{
    return format == QVideoFrameFormat::Format_YUYV || format == QVideoFrameFormat::Format_NV12
           || format == QVideoFrameFormat::Format_YUV420P;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    Q_UNUSED(quiet);
    if (size < 4)
        return 0;
    const QSize wanted = data[0] < 128 ? commonSizes[data[1] % commonSizes.size()]
                                       : QSize(data[0] % 8 == 0 ? 0 : data[1] * 8, data[2] * 8 + data[3]);
    QList<CameraFormatOffer> offers;
    for (size_t at = 4; at + bytesPerOffer <= size; at += bytesPerOffer)
        offers << offerAt(data + at);

    const int chosen = CameraFormatSelector::choose(offers, wanted);
    if (chosen < -1 || chosen >= offers.size())
        std::abort();
    // As the rules read the wanted size: no width stands for full HD, no height for 1080 lines.
    const QSize target =
        wanted.width() == 0 ? fullHd : QSize(wanted.width(), wanted.height() < 1 ? 1080 : wanted.height());
    if (chosen == -1) {
        for (const CameraFormatOffer& offer : offers)
            if (offer.resolution == target && offer.pixelFormat == QVideoFrameFormat::Format_YUYV
                && offer.maxFrameRate >= -1.0f)
                std::abort();
        return 0;
    }
    const CameraFormatOffer& offer = offers[chosen];
    if ((offer.resolution != target && offer.resolution != fullHd) || !askedFor(offer.pixelFormat)
        || std::isnan(offer.maxFrameRate))
        std::abort();
    return 0;
}
