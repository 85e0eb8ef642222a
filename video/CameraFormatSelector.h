#pragma once

#include <QList>
#include <QSize>
#include <QVideoFrameFormat>

class QCameraFormat;

// What a camera offers in one of its formats.
struct CameraFormatOffer
{
    QSize resolution;
    float minFrameRate = 0;
    float maxFrameRate = 0;
    QVideoFrameFormat::PixelFormat pixelFormat = QVideoFrameFormat::Format_Invalid;

    static CameraFormatOffer of(const QCameraFormat& format);
};

// The camera view's choice among the formats a camera offers, as a function of the offers alone
// (a QCameraFormat cannot be made with chosen values, so the rules work on their description).
// Results are indices into the offers, in the camera's order; -1 when nothing fits.
class CameraFormatSelector
{
public:
    // One rule: a format of exactly width × height (a size below 1 stands for 1920 × 1080) with
    // at least fps frames per second (-1 accepts any rate) in the pixel format; failing that,
    // the first one of that size, between 640 and 1920 wide, in the pixel format or NV12.
    static int select(const QList<CameraFormatOffer>& offers, int width, int height, int fps,
                      QVideoFrameFormat::PixelFormat pixelFormat);
    // The rules in the order the camera view tries them for the wanted resolution (a width of 0
    // stands for 1920 × 1080): YUYV at any rate, NV12 at 60, YUYV 1920 × 1080 at 60, YUV420P at
    // 60, YUV420P 1920 × 1080 at 30.
    static int choose(const QList<CameraFormatOffer>& offers, QSize wanted);
};
