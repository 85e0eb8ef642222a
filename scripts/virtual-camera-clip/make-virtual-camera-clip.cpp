// Makes the clip that the file-backed virtual camera plays: a few seconds of the empty arena,
// so that a background calibrated at the start sees an empty chamber, then the animal.
//
// The empty arena is the per-pixel median of the source (the animal moves, so the median is the
// floor). The source's dark animal on a light floor is turned into a light animal on a dark
// floor, with no pixel brighter than the program's default brightness limit: the program's
// default detection ("if brighter", limit 200) finds it without any setting changed.
//
//     make-virtual-camera-clip <source video> <clip.mp4>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {
constexpr double clipRate = 30;
constexpr int emptyArenaFrames = 5 * 30;
constexpr int animalFrames = 40 * 30;
// Every so many frames of the source go into the median.
constexpr int medianStep = 5;
const cv::Size clipSize(640, 480);
// The detector leaves out every pixel whose background is brighter than its limit (200 by
// default); the margin below it keeps the encoder's rounding from crossing it.
constexpr double brightest = 190;

// Grey, at the clip's size, inverted into 0 .. brightest.
cv::Mat greyFrame(const cv::Mat& frame)
{
    cv::Mat grey;
    cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
    if (grey.size() != clipSize)
        cv::resize(grey, grey, clipSize, 0, 0, cv::INTER_AREA);
    grey.convertTo(grey, CV_8U, -brightest / 255.0, brightest);
    return grey;
}

std::vector<cv::Mat> sampledFrames(const char* path)
{
    cv::VideoCapture source(path, cv::CAP_FFMPEG);
    std::vector<cv::Mat> frames;
    cv::Mat frame;
    for (int index = 0; source.read(frame); ++index)
        if (index % medianStep == 0)
            frames.push_back(greyFrame(frame));
    return frames;
}

// Byte values: each pixel's median is read off its histogram.
cv::Mat medianOf(const std::vector<cv::Mat>& frames)
{
    cv::Mat median(clipSize, CV_8UC1);
    const size_t half = frames.size() / 2;
    for (int y = 0; y < clipSize.height; ++y) {
        for (int x = 0; x < clipSize.width; ++x) {
            std::array<size_t, 256> histogram{};
            for (const cv::Mat& frame : frames)
                ++histogram[frame.at<uchar>(y, x)];
            size_t seen = 0;
            int value = 0;
            while ((seen += histogram[size_t(value)]) <= half)
                ++value;
            median.at<uchar>(y, x) = uchar(value);
        }
    }
    return median;
}

void writeGrey(cv::VideoWriter& writer, const cv::Mat& grey)
{
    cv::Mat colour;
    cv::cvtColor(grey, colour, cv::COLOR_GRAY2BGR);
    writer.write(colour);
}

// H.264 keeps the clip small; MPEG-4 Part 2 where the encoder is missing.
cv::VideoWriter openWriter(const char* path)
{
    for (const char* codec : {"avc1", "mp4v"}) {
        cv::VideoWriter writer(path, cv::CAP_FFMPEG, cv::VideoWriter::fourcc(codec[0], codec[1], codec[2], codec[3]),
                               clipRate, clipSize, true);
        if (writer.isOpened())
            return writer;
    }
    return cv::VideoWriter();
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <source video> <clip.mp4>\n", argv[0]);
        return 2;
    }
    const std::vector<cv::Mat> samples = sampledFrames(argv[1]);
    if (samples.empty()) {
        std::fprintf(stderr, "%s: no frame could be read\n", argv[1]);
        return 1;
    }
    cv::VideoWriter writer = openWriter(argv[2]);
    if (!writer.isOpened()) {
        std::fprintf(stderr, "%s: no video writer opens\n", argv[2]);
        return 1;
    }
    const cv::Mat emptyArena = medianOf(samples);
    for (int n = 0; n < emptyArenaFrames; ++n)
        writeGrey(writer, emptyArena);
    cv::VideoCapture source(argv[1], cv::CAP_FFMPEG);
    cv::Mat frame;
    for (int n = 0; n < animalFrames && source.read(frame); ++n)
        writeGrey(writer, greyFrame(frame));
    writer.release();
    return 0;
}
