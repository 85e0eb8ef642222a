// The replay overlays on a half-hour run (54,000 records at 30 frames per second): the heat map
// of the whole run, drawn at the start of the video, and attaching the track, whose records are
// read in the overlay's loader while the window goes on. Beside the loader's time come the
// longest the window's thread was busy at a time while the track loaded, and the first paint
// once the points are there (the whole run's heat map).
#include "HeatMapRenderer.h"
#include "ShadowMapOverlayWidget.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"
#include "WidgetBenchmarkMain.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <ctime>

namespace {

constexpr int records = 54'000;
const QSize frameSize(640, 480);

// An animal wandering over the whole arena, as the detector reports its centre.
QPoint wanderingCentre(int record)
{
    return QPoint(320 + int(300 * std::sin(record / 97.0) * std::cos(record / 1301.0)),
                  240 + int(220 * std::cos(record / 61.0) * std::sin(record / 887.0)));
}

QByteArray blobBytes()
{
    QImage blob(frameSize, QImage::Format_ARGB32);
    blob.fill(Qt::transparent);
    QPainter(&blob).fillRect(QRect(300, 220, 40, 30), Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    blob.save(&buffer, "PNG");
    return bytes;
}

// Laid out as the engine writes a run: keys from 1, a time per frame, a blob image per record.
QString writeTrack(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("Track.tdata"));
    TrackDataFile writer;
    writer.open(path, false);
    TrackFrame frame;
    frame.detected = true;
    frame.image = blobBytes();
    for (int record = 0; record < records; ++record) {
        frame.timeMs = 1'700'000'000'000 + record * 33;
        frame.setCenter(wanderingCentre(record));
        frame.setRect(QRect(frame.center() - QPoint(20, 15), QSize(40, 30)));
        writer.writeRecord(quint32(record + 1), frame, false);
    }
    return path;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest a piece of the window thread's work took, on the clock and in the thread's own
// processor time (on a busy machine that tells the work apart from the waits for a processor).
struct Longest
{
    double wall = 0;
    double cpu = 0;

    template <typename Work>
    void measure(const Work& work)
    {
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = threadCpuMs();
        work();
        cpu = std::max(cpu, threadCpuMs() - cpuBefore);
        wall = std::max(wall, double(timer.elapsed()));
    }
};

void BM_HeatMapOfTheWholeRun(benchmark::State& state)
{
    QList<QPoint> points;
    for (int record = 0; record < records; ++record)
        points << wanderingCentre(record);
    const HeatMapRenderer renderer(24, 3, 0.8);
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer.render(points, frameSize.width(), frameSize.height(), 1, 1));
}
BENCHMARK(BM_HeatMapOfTheWholeRun)->Unit(benchmark::kMillisecond);

void BM_AttachTheRunsTrack(benchmark::State& state)
{
    QTemporaryDir folder;
    TrackDataFile file;
    file.open(writeTrack(folder), true);
    ShadowMapOverlayWidget overlay;
    overlay.resize(frameSize);
    overlay.setVideoSize(frameSize);
    overlay.show();
    Longest loadingStep;
    Longest firstPaint;
    for (auto _ : state) {
        loadingStep.measure([&] { overlay.setTrackFile(&file); });
        while (overlay.isLoading()) {
            loadingStep.measure([] { QApplication::processEvents(); });
            QThread::msleep(1);
        }
        firstPaint.measure([&] { overlay.repaint(); });
        overlay.setTrackFile(nullptr);
    }
    state.counters["loading step ms"] = loadingStep.wall;
    state.counters["loading step cpu ms"] = loadingStep.cpu;
    state.counters["first paint ms"] = firstPaint.wall;
    state.counters["first paint cpu ms"] = firstPaint.cpu;
}
BENCHMARK(BM_AttachTheRunsTrack)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
