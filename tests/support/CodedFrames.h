#pragma once

// Test frames that carry their own number, for checking which frame a video or a player shows.
// The number is written as eight columns, one per bit, light for a set bit and dark for a clear
// one: that survives lossy encoding and any number of re-encodings, which shift flat grey
// levels a little each time. Header only; for the tests of video/ and above.

#include <QFile>
#include <QList>
#include <QString>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

namespace CodedFrames {

inline constexpr int bits = 8;
// Blue, green, red: the light colour is not grey, so that a grey rendering shows.
inline const cv::Scalar light(60, 200, 240);
inline const cv::Scalar dark(40, 30, 20);

inline cv::Mat frame(int number, cv::Size size = cv::Size(160, 120))
{
    cv::Mat image(size, CV_8UC3, dark);
    for (int bit = 0; bit < bits; ++bit)
        if (number & (1 << bit))
            image.colRange(bit * size.width / bits, (bit + 1) * size.width / bits).setTo(light);
    return image;
}

// The number a frame carries, read from the middle of each column; -1 for an empty image.
inline int numberIn(const cv::Mat& image)
{
    if (image.empty())
        return -1;
    const int columnWidth = image.cols / bits;
    int number = 0;
    for (int bit = 0; bit < bits; ++bit) {
        const cv::Rect middle(bit * columnWidth + columnWidth / 4, image.rows / 4, columnWidth / 2, image.rows / 2);
        const cv::Scalar mean = cv::mean(image(middle));
        const int channels = std::min(image.channels(), 3);
        double brightness = 0;
        for (int c = 0; c < channels; ++c)
            brightness += mean[c] / channels;
        if (brightness > 90)
            number |= 1 << bit;
    }
    return number;
}

// The number each frame of a video carries, read back with OpenCV.
inline QList<int> numbersInVideo(const QString& path)
{
    cv::VideoCapture capture(QFile::encodeName(path).toStdString(), cv::CAP_FFMPEG);
    QList<int> numbers;
    cv::Mat image;
    while (capture.read(image))
        numbers << numberIn(image);
    return numbers;
}

} // namespace CodedFrames
