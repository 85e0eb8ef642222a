// The per-frame detection chain on byte matrices, next to an OpenCV chain of the same steps.
// Run on one core: OpenCV's own threads are switched off.

#include "UCharMat.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

constexpr uchar floorLevel = 180;
constexpr uchar animalLevel = 60;

struct Scene
{
    QImage background;
    QImage frame;
};

QImage noisyFloor(int width, int height, QRandomGenerator& random)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar(floorLevel - 3 + random.bounded(7));
    return image;
}

// Typical: one dark animal-sized ellipse on the floor. Noisy: the same, with 30 % of all
// pixels dark at random on top.
Scene makeScene(int width, int height, bool noisy)
{
    QRandomGenerator random(1234);
    Scene scene{noisyFloor(width, height, random), noisyFloor(width, height, random)};
    const double scale = width / 640.0;
    {
        QPainter painter(&scene.frame);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(animalLevel, animalLevel, animalLevel));
        painter.drawEllipse(QPointF(width * 0.45, height * 0.55), 35 * scale, 18 * scale);
    }
    if (noisy) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (random.bounded(100) < 30)
                    scene.frame.scanLine(y)[x] = animalLevel;
    }
    return scene;
}

cv::Mat wrap(const QImage& grey)
{
    return cv::Mat(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                   size_t(grey.bytesPerLine()));
}

void kestrumChain(benchmark::State& state)
{
    const Scene scene = makeScene(int(state.range(0)), int(state.range(1)), state.range(2) != 0);
    const UCharMat background = UCharMat::fromQImage(scene.background, 18, 12);
    const QColor overlay(30, 255, 0, 100);
    unsigned int area = 0;
    for (auto _ : state) {
        const UCharMat current = UCharMat::fromQImage(scene.frame, 18, 12);
        const UCharMat mask = UCharMat::combineMask(current, background, 10, 1, 240, 255, 0);
        QList<UCharMatRegion> regions = mask.erode(3).dilate(10).labelRegions(0);
        QPoint median(-1, -1);
        QRect rect;
        const qsizetype before = regions.size();
        UCharMat blob =
            UCharMat::maskFromRegions(current.width, current.height, regions, 420, 255, 0, &median, &rect, &area, true);
        if (regions.size() != before)
            blob = UCharMat::maskFromRegions(current.width, current.height, regions, 420, 255, 0, &median, &rect, &area,
                                             false);
        QImage image = blob.toQImage(overlay, Qt::transparent);
        benchmark::DoNotOptimize(image);
    }
    state.counters["area"] = area;
}

void openCvChain(benchmark::State& state)
{
    cv::setNumThreads(1);
    const Scene scene = makeScene(int(state.range(0)), int(state.range(1)), state.range(2) != 0);
    const cv::Mat background = wrap(scene.background);
    const cv::Mat erodeKernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    const cv::Mat dilateKernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(10, 10));
    int components = 0;
    for (auto _ : state) {
        cv::Mat difference, mask, eroded, dilated, labels, stats, centroids;
        cv::absdiff(wrap(scene.frame), background, difference);
        cv::threshold(difference, mask, 10, 255, cv::THRESH_BINARY);
        cv::erode(mask, eroded, erodeKernel);
        cv::dilate(eroded, dilated, dilateKernel);
        components = cv::connectedComponentsWithStats(dilated, labels, stats, centroids, int(state.range(3)));
        benchmark::DoNotOptimize(labels.data);
    }
    state.counters["components"] = components;
}

// The chain's steps one by one, on the typical 640 x 480 frame, to see where the time goes.
void kestrumSteps(benchmark::State& state)
{
    const Scene scene = makeScene(640, 480, false);
    const UCharMat background = UCharMat::fromQImage(scene.background, 18, 12);
    const UCharMat current = UCharMat::fromQImage(scene.frame, 18, 12);
    const UCharMat mask = UCharMat::combineMask(current, background, 10, 1, 240, 255, 0);
    const UCharMat eroded = mask.erode(3);
    const UCharMat dilated = eroded.dilate(10);
    const QList<UCharMatRegion> regions = dilated.labelRegions(0);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            benchmark::DoNotOptimize(UCharMat::fromQImage(scene.frame, 18, 12));
            break;
        case 1:
            benchmark::DoNotOptimize(UCharMat::combineMask(current, background, 10, 1, 240, 255, 0));
            break;
        case 2:
            benchmark::DoNotOptimize(mask.erode(3));
            break;
        case 3:
            benchmark::DoNotOptimize(eroded.dilate(10));
            break;
        case 4:
            benchmark::DoNotOptimize(dilated.labelRegions(0));
            break;
        case 5: {
            QList<UCharMatRegion> copy = regions;
            QPoint median;
            QRect rect;
            unsigned int area = 0;
            benchmark::DoNotOptimize(
                UCharMat::maskFromRegions(640, 480, copy, 420, 255, 0, &median, &rect, &area, true));
            break;
        }
        default:
            benchmark::DoNotOptimize(dilated.toQImage(QColor(30, 255, 0, 100), Qt::transparent));
        }
    }
}

// The OpenCV chain's steps one by one, on the same frame.
void openCvSteps(benchmark::State& state)
{
    cv::setNumThreads(1);
    const Scene scene = makeScene(640, 480, false);
    const cv::Mat background = wrap(scene.background);
    const cv::Mat frame = wrap(scene.frame);
    const cv::Mat erodeKernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    const cv::Mat dilateKernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(10, 10));
    cv::Mat difference, mask, eroded, dilated, labels, stats, centroids;
    cv::absdiff(frame, background, difference);
    cv::threshold(difference, mask, 10, 255, cv::THRESH_BINARY);
    cv::erode(mask, eroded, erodeKernel);
    cv::dilate(eroded, dilated, dilateKernel);
    for (auto _ : state) {
        cv::Mat out;
        switch (state.range(0)) {
        case 0:
            cv::absdiff(frame, background, out);
            break;
        case 1:
            cv::threshold(difference, out, 10, 255, cv::THRESH_BINARY);
            break;
        case 2:
            cv::erode(mask, out, erodeKernel);
            break;
        case 3:
            cv::dilate(eroded, out, dilateKernel);
            break;
        case 4:
            cv::connectedComponentsWithStats(dilated, out, stats, centroids, 4);
            break;
        default:
            cv::connectedComponentsWithStats(dilated, out, stats, centroids, 8);
        }
        benchmark::DoNotOptimize(out.data);
    }
}

void sceneArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"width", "height", "noisy"});
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1280, 720}})
        for (int noisy : {0, 1})
            benchmark->Args({width, height, noisy});
    benchmark->Unit(benchmark::kMicrosecond);
}

// The same scenes; 4-connected labelling is what the byte-matrix chain computes, 8-connected
// is OpenCV's fastest labelling, shown for comparison.
void openCvArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"width", "height", "noisy", "connectivity"});
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1280, 720}})
        for (int noisy : {0, 1})
            for (int connectivity : {4, 8})
                benchmark->Args({width, height, noisy, connectivity});
    benchmark->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(kestrumChain)->Apply(sceneArguments);
BENCHMARK(openCvChain)->Apply(openCvArguments);
BENCHMARK(kestrumSteps)->ArgName("step")->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(openCvSteps)->ArgName("step")->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
