#include "CameraFormatSelector.h"

#include <QCameraFormat>
#include <QDebug>

#include <functional>

namespace {
constexpr int fallbackWidth = 1920;
constexpr int fallbackHeight = 1080;
constexpr int narrowest = 640;

using PixelFormat = QVideoFrameFormat::PixelFormat;

// Compared in single precision, as the camera reports its rates.
bool fastEnough(const CameraFormatOffer& offer, int fps)
{
    return offer.maxFrameRate >= float(fps);
}

int firstMatching(const QList<CameraFormatOffer>& offers, const std::function<bool(const CameraFormatOffer&)>& fits)
{
    for (qsizetype index = 0; index < offers.size(); ++index)
        if (fits(offers[index]))
            return int(index);
    return -1;
}
} // namespace

CameraFormatOffer CameraFormatOffer::of(const QCameraFormat& format)
{
    return CameraFormatOffer{format.resolution(), format.minFrameRate(), format.maxFrameRate(), format.pixelFormat()};
}

int CameraFormatSelector::select(const QList<CameraFormatOffer>& offers, int width, int height, int fps,
                                 PixelFormat pixelFormat)
{
    const QSize size(width < 1 ? fallbackWidth : width, height < 1 ? fallbackHeight : height);
    qDebug() << "TRY SELECT" << size.width() << size.height() << fps << pixelFormat;
    const int precise = firstMatching(offers, [&](const CameraFormatOffer& offer) {
        return offer.resolution == size && fastEnough(offer, fps) && offer.pixelFormat == pixelFormat;
    });
    if (precise >= 0) {
        qDebug() << "Picked precise" << size << pixelFormat;
        return precise;
    }
    const int near = firstMatching(offers, [&](const CameraFormatOffer& offer) {
        return offer.resolution.width() <= fallbackWidth && offer.resolution.width() >= narrowest
               && offer.resolution == size && fastEnough(offer, fps)
               && (offer.pixelFormat == pixelFormat || offer.pixelFormat == QVideoFrameFormat::Format_NV12);
    });
    if (near >= 0) {
        const CameraFormatOffer& offer = offers[near];
        qDebug() << "SET CAMERA FORMAT 2" << offer.resolution << offer.minFrameRate << "-" << offer.maxFrameRate
                 << "fps" << offer.pixelFormat;
    }
    return near;
}

int CameraFormatSelector::choose(const QList<CameraFormatOffer>& offers, QSize wanted)
{
    if (wanted.width() == 0)
        wanted = QSize(fallbackWidth, fallbackHeight);
    const int w = wanted.width();
    const int h = wanted.height();
    const struct
    {
        int width;
        int height;
        int fps;
        PixelFormat pixelFormat;
    } rules[] = {
        {w, h, -1, QVideoFrameFormat::Format_YUYV},
        {w, h, 60, QVideoFrameFormat::Format_NV12},
        {fallbackWidth, fallbackHeight, 60, QVideoFrameFormat::Format_YUYV},
        {w, h, 60, QVideoFrameFormat::Format_YUV420P},
        {fallbackWidth, fallbackHeight, 30, QVideoFrameFormat::Format_YUV420P},
    };
    for (const auto& rule : rules) {
        const int index = select(offers, rule.width, rule.height, rule.fps, rule.pixelFormat);
        if (index >= 0)
            return index;
    }
    return -1;
}
