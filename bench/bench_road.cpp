// The whole road of a run's frames on the virtual chamber: the file-backed camera's frame
// through its sink and the camera view (display, recording) to the panel, the zone underlay,
// the detector, the experiment's step, the track and the detection overlay. The camera's own
// rate is 30 frames per second; here each frame is handed in as soon as the one before has gone
// its way, driven by the events themselves, so the figures are what the pipeline allows:
// - analysed: the next frame once the one before has been analysed, so every frame goes the
//   whole road;
// - delivered: the next frame once the one before has reached the panel, as a camera faster than
//   the detector would; the detector takes the newest frame whenever it is free.
// The video is written on a clock that advances by a camera frame per frame, so the recorder has
// a real run's share of frames to write, and the run ends (the file finished) inside the
// measured time.

#include "BaseExperiment.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "KestrumDetectorThread.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "MetaKestrumDevice.h"
#include "VideoCameraView.h"
#include "VideoWidget.h"
#include "VirtualMediaPlayer.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>
#include <benchmark/benchmark.h>

#include <limits>

namespace {

constexpr int emptyArenaFrames = 150;
constexpr int runFrames = 600;
constexpr double cameraFramesPerSecond = 30;
// A frame the detector missed (it was finishing the one before) is followed by another.
constexpr int stallMs = 200;
constexpr int mostStalls = 20;

// The virtual chamber's panel with its camera view on the clip, frames handed in by hand.
class Road
{
public:
    explicit Road(const QString& folder)
        : model(folder)
    {
        MetaKestrumDevice::installAsModelPanels();
        model.init();
        model.settings()->setDiffMode(KestrumDetectorThread::DiffMode_IfDarker);
        model.settings()->setMaxBrightness(255);
        for (BaseExperiment* experiment : model.experiments())
            experiment->setClock(&clock);
        model.selectExperimentType(QStringLiteral("PlacePreference"));
        model.settings()->setDebugKestrumDevice(true);
        panel = static_cast<MetaKestrumDevice*>(model.metaDevices().constFirst());
        view = qobject_cast<VideoCameraView*>(panel->cameraView());
        // Queued behind the panel's own taking of the frame.
        QObject::connect(
            view, &PanelCameraView::fetchFrame, panel, [this] { ++delivered; }, Qt::QueuedConnection);
        QObject::connect(panel->detector(), &KestrumDetectorThread::overlayGenerated, panel, [this] { ++analysed; });
        VideoWidget* widget = view->widget();
        widget->setClock(&clock);
        widget->setWatchdogInterval(std::numeric_limits<int>::max());
        widget->selectCam();
        player = widget->virtualPlayer();
        player->stop();
        panel->show();
    }

    // On the first frame, shown when the camera was chosen, once it has reached the panel.
    bool calibrateOnEmptyArena()
    {
        if (!QTest::qWaitFor([&] { return delivered > 0; }, 5000))
            return false;
        panel->calibrateBackground();
        return QTest::qWaitFor(
            [&] {
                bool init = false;
                bool triggered = false;
                bool started = false;
                panel->experiment()->initTriggeredStarted(init, triggered, started);
                return init;
            },
            5000);
    }

    // Hands in frames until the count has grown by `frames`, the next one each time it grows;
    // false when the road broke off.
    bool drive(int frames, bool pacedByAnalysis)
    {
        const int& count = pacedByAnalysis ? analysed : delivered;
        const int target = count + frames;
        QEventLoop loop;
        QTimer stall;
        stall.setSingleShot(true);
        int stalls = 0;
        const auto next = [&] {
            if (count >= target)
                return loop.quit();
            stall.start(stallMs);
            clock.advance(player->intervalMs());
            player->pushNextFrame();
        };
        QObject::connect(&stall, &QTimer::timeout, &loop, [&] { ++stalls < mostStalls ? next() : loop.exit(1); });
        if (pacedByAnalysis)
            QObject::connect(panel->detector(), &KestrumDetectorThread::overlayGenerated, &loop, next);
        else
            QObject::connect(view, &PanelCameraView::fetchFrame, &loop, next, Qt::QueuedConnection);
        next();
        return loop.exec() == 0;
    }

    // A run of the frames, stopped at the end.
    bool run(int frames, bool pacedByAnalysis)
    {
        panel->startExperiment(true);
        const bool driven = drive(frames, pacedByAnalysis);
        panel->startExperiment(false);
        return QTest::qWaitFor([&] { return !panel->experiment()->isRunning(); }, 60000) && driven;
    }

    ManualClock clock;
    KestrumModel model;
    MetaKestrumDevice* panel = nullptr;
    VideoCameraView* view = nullptr;
    VirtualMediaPlayer* player = nullptr;
    int delivered = 0;
    int analysed = 0;
};

void wholeRoad(benchmark::State& state)
{
    const bool pacedByAnalysis = state.range(0) == 0;
    QTemporaryDir folder;
    Road road(folder.path());
    if (!road.calibrateOnEmptyArena() || !road.drive(emptyArenaFrames, true)) {
        state.SkipWithError("the background could not be calibrated");
        return;
    }
    const int delivered = road.delivered;
    const int analysed = road.analysed;
    for (auto _ : state) {
        if (!road.run(runFrames, pacedByAnalysis)) {
            state.SkipWithError("the frames stopped going through");
            return;
        }
    }
    const auto rate = [](int frames) {
        return benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate);
    };
    state.counters["deliveredFps"] = rate(road.delivered - delivered);
    state.counters["analysedFps"] = rate(road.analysed - analysed);
    state.counters["analysedXRealTime"] = benchmark::Counter(double(road.analysed - analysed) / cameraFramesPerSecond,
                                                             benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(wholeRoad)
    ->ArgName("deliveredPace")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    QApplication app(argc, argv);
    DialogSeam::setHandler([](const DialogSeam::Request&) { return DialogSeam::Answer{0, false, {}}; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
