// The per-frame detection chain on byte matrices, and the detector's whole per-frame step
// (analysis, the experiment's step, the track record), next to an OpenCV chain of the same
// steps. Run on one core: OpenCV's own threads are switched off.

#include "BaseExperiment.h"
#include "Experiment_Stats.h"
#include "KestrumDetectorThread.h"
#include "UCharMat.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <tuple>

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

// Grey images as one channel, 32-bit ones as four.
cv::Mat wrap(const QImage& image)
{
    return cv::Mat(image.height(), image.width(), CV_8UC(image.depth() / 8), const_cast<uchar*>(image.constBits()),
                   size_t(image.bytesPerLine()));
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

// A colour camera frame with the scene's grey levels.
QImage coloured(const QImage& grey)
{
    return grey.convertToFormat(QImage::Format_RGB32);
}

// A colour frame first becomes grey, as the detector's frames do.
void openCvChain(benchmark::State& state)
{
    cv::setNumThreads(1);
    const Scene scene = makeScene(int(state.range(0)), int(state.range(1)), state.range(2) != 0);
    const bool colour = state.range(4) != 0;
    const QImage colourFrame = coloured(scene.frame);
    const cv::Mat background = wrap(scene.background);
    const cv::Mat erodeKernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    const cv::Mat dilateKernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(10, 10));
    int components = 0;
    for (auto _ : state) {
        cv::Mat grey, difference, mask, eroded, dilated, labels, stats, centroids;
        if (colour)
            cv::cvtColor(wrap(colourFrame), grey, cv::COLOR_BGRA2GRAY);
        else
            grey = wrap(scene.frame);
        cv::absdiff(grey, background, difference);
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

// The same scenes, and the large one also in colour; 4-connected labelling is what the
// byte-matrix chain computes, 8-connected is OpenCV's fastest labelling, shown for comparison.
void openCvArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"width", "height", "noisy", "connectivity", "colour"});
    for (const auto& [width, height, colour] : {std::tuple{640, 480, 0}, std::tuple{1280, 720, 0}, {1280, 720, 1}})
        for (int noisy : {0, 1})
            for (int connectivity : {4, 8})
                benchmark->Args({width, height, noisy, connectivity, colour});
    benchmark->Unit(benchmark::kMicrosecond);
}

// Starts a run on its first frame, so that every later frame is recorded in the run's track.
class RecordingParadigm : public BaseExperiment
{
    class Record : public Experiment_Stats
    {
    public:
        using Experiment_Stats::Experiment_Stats;
        void start() override {}
        void finish() override {}
    };

public:
    using BaseExperiment::BaseExperiment;
    QString typeKey() const override { return QStringLiteral("DetectorBench"); }
    Experiment_Stats* createStats(const QString& path) override { return new Record(path, false); }
    QList<ResultColumn> resultColumns() override { return {}; }
    QString iconPath() override { return {}; }
    BaseExperiment* createInstance() override { return nullptr; }

protected:
    void processDetection(bool, QSize, QPoint, const QRect&, bool&) override
    {
        if (!isRunning() && openRun())
            beginRun();
    }
    void onStartStop(bool) override {}
};

// The detector with its loop stopped: the benchmark hands frames in and runs the step itself.
class SteppedDetector : public KestrumDetectorThread
{
public:
    SteppedDetector()
    {
        stop();
        wait();
    }

    void step(const QImage& frame)
    {
        image = frame;
        processImage();
    }
};

void detectorStep(benchmark::State& state)
{
    cv::setNumThreads(1);
    static int argc = 1;
    static char name[] = "bench_detectionchain";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    const Scene scene = makeScene(int(state.range(0)), int(state.range(1)), state.range(2) != 0);
    const bool colour = state.range(3) != 0;
    const QImage background = colour ? coloured(scene.background) : scene.background;
    const QImage frame = colour ? coloured(scene.frame) : scene.frame;
    KestrumDetectorThread::detectionDiffMode = KestrumDetectorThread::DiffMode_IfDarker;
    QTemporaryDir folder;
    RecordingParadigm experiment(folder.path());
    experiment.setBackground(background);
    SteppedDetector detector;
    detector.setBackground(background);
    if (state.range(4) != 0)
        detector.setExperiment(&experiment);
    int area = 0;
    QObject::connect(&detector, &KestrumDetectorThread::frameProcessed,
                     [&area](bool, QPoint, int blobArea) { area = blobArea; });
    for (auto _ : state)
        detector.step(frame);
    state.counters["area"] = area;
}

void stepArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"width", "height", "noisy", "colour", "tracked"});
    for (const auto& [width, height, colour] : {std::tuple{640, 480, 0}, std::tuple{1280, 720, 1}})
        for (int noisy : {0, 1})
            for (int tracked : {1, 0})
                benchmark->Args({width, height, noisy, colour, tracked});
    benchmark->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(detectorStep)->Apply(stepArguments);
BENCHMARK(kestrumChain)->Apply(sceneArguments);
BENCHMARK(openCvChain)->Apply(openCvArguments);
BENCHMARK(kestrumSteps)->ArgName("step")->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(openCvSteps)->ArgName("step")->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
