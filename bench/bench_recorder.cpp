// Encoding cost of the run's video: one camera frame (four channels, as the camera view hands
// it over) made a BGR frame and written with the recorder's MP4 codec, at 640 x 480 and
// 1280 x 720. The recorder keeps up with a camera while this stays below one frame interval.
// Measure on one core: taskset -c 0 ./bench_recorder

#include "VideoRecorder.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace {

constexpr int distinctFrames = 25;

// A light floor with sensor noise and a dark animal crossing it.
std::vector<cv::Mat> cameraFrames(cv::Size size)
{
    std::vector<cv::Mat> frames;
    cv::RNG random(1234);
    for (int n = 0; n < distinctFrames; ++n) {
        cv::Mat frame(size, CV_8UC4, cv::Scalar(180, 180, 180, 255));
        cv::Mat noise(size, CV_8UC4);
        random.fill(noise, cv::RNG::UNIFORM, 0, 7);
        frame += noise;
        const cv::Point centre(size.width * (n + 5) / (distinctFrames + 10), size.height / 2);
        cv::ellipse(frame, centre, cv::Size(size.width / 18, size.height / 26), 0, 0, 360, cv::Scalar(60, 60, 60, 255),
                    cv::FILLED);
        frames.push_back(frame);
    }
    return frames;
}

void BM_EncodeFrame(benchmark::State& state)
{
    cv::setNumThreads(1);
    const cv::Size size(int(state.range(0)), int(state.range(1)));
    const std::vector<cv::Mat> frames = cameraFrames(size);
    QTemporaryDir folder;
    cv::VideoWriter writer = VideoRecorder::createWriter(folder.filePath(QStringLiteral("bench.mp4")), 25,
                                                         QSize(size.width, size.height), QStringLiteral("mp4v"));
    if (!writer.isOpened()) {
        state.SkipWithError("the video writer does not open");
        return;
    }
    size_t n = 0;
    for (auto _ : state) {
        cv::Mat frame = frames[n++ % frames.size()];
        VideoRecorder::prepareFrame(frame, size);
        writer.write(frame);
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_EncodeFrame)->Args({640, 480})->Args({1280, 720})->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
