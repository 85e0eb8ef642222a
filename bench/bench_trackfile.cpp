// Cost of the run's track: raw record throughput of the track file, the whole per-frame
// price the detector pays (PNG of the 640 x 480 blob overlay plus the record) through
// BaseExperiment::saveTrack, and opening a long run's track for review.
#include "BaseExperiment.h"
#include "Clock.h"
#include "Experiment_Stats.h"
#include "GlobalConsole.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

TrackFrame detectedFrame(int i)
{
    TrackFrame frame;
    frame.detected = true;
    frame.timeMs = 1'700'000'000'000 + i * 33;
    frame.setCenter(QPoint(320 + i % 50, 240));
    frame.setRect(QRect(300 + i % 50, 220, 40, 40));
    frame.area = 1200;
    return frame;
}

void BM_WriteRecordWithoutImage(benchmark::State& state)
{
    QTemporaryDir folder;
    TrackDataFile track;
    track.open(folder.filePath(QStringLiteral("Track.tdata")), false);
    int i = 0;
    for (auto _ : state) {
        if (!track.writeRecord(track.lastKey() + 1, detectedFrame(i++), true))
            state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes/record"] = double(QFileInfo(track.path()).size() - 16) / double(state.iterations());
}
BENCHMARK(BM_WriteRecordWithoutImage)->Unit(benchmark::kMicrosecond);

// An hour at 30 frames per second; the results page opens the track in the user-interface thread.
void BM_ReviewOpenOfAnHourLongRun(benchmark::State& state)
{
    constexpr quint32 frames = 108'000;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Track.tdata"));
    {
        TrackDataFile writer;
        writer.open(path, false);
        for (quint32 key = 1; key <= frames; ++key)
            writer.writeRecord(key, detectedFrame(int(key)), true);
    }
    for (auto _ : state) {
        TrackDataFile reader;
        if (!reader.open(path, true) || reader.recordCount() != frames)
            state.SkipWithError("review failed");
    }
}
BENCHMARK(BM_ReviewOpenOfAnHourLongRun)->Unit(benchmark::kMillisecond);

// A run of 1,000 frames followed by 128 MB of random bytes: review crosses the whole damaged
// stretch looking for records again.
void BM_ReviewOpenPastLongDamage(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Track.tdata"));
    {
        TrackDataFile writer;
        writer.open(path, false);
        for (quint32 key = 1; key <= 1000; ++key)
            writer.writeRecord(key, detectedFrame(int(key)), true);
    }
    {
        QFile file(path);
        file.open(QIODevice::Append);
        QList<quint32> garbage(32 << 20);
        QRandomGenerator(128).fillRange(garbage.data(), garbage.size());
        file.write(reinterpret_cast<const char*>(garbage.constData()), garbage.size() * 4);
    }
    GlobalConsole::disableType(QStringLiteral("Warning"));
    for (auto _ : state) {
        TrackDataFile reader;
        if (!reader.open(path, true) || reader.recordCount() < 1000)
            state.SkipWithError("review failed");
    }
    GlobalConsole::disableType(QStringLiteral("Warning"), false);
}
BENCHMARK(BM_ReviewOpenPastLongDamage)->Unit(benchmark::kMillisecond);

class StatsForBench : public Experiment_Stats
{
public:
    using Experiment_Stats::Experiment_Stats;
    void start() override {}
    void finish() override {}
};

class ParadigmForBench : public BaseExperiment
{
public:
    using BaseExperiment::BaseExperiment;
    QString typeKey() const override { return QStringLiteral("Bench"); }
    Experiment_Stats* createStats(const QString& path) override { return new StatsForBench(path, false); }
    QList<ResultColumn> resultColumns() override { return {}; }
    QString iconPath() override { return {}; }
    BaseExperiment* createInstance() override { return nullptr; }

protected:
    void processDetection(bool detected, QSize, QPoint, const QRect&, bool&) override
    {
        if (isTriggered() && !isRunning() && detected && openRun())
            beginRun();
    }
    void onStartStop(bool) override {}
};

// The detector's overlay: the blob mask in the safe colour on a transparent frame.
QImage blobOverlay(QPoint center)
{
    QImage overlay(640, 480, QImage::Format_ARGB32);
    overlay.fill(Qt::transparent);
    QPainter painter(&overlay);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 255, 0, 100));
    painter.drawEllipse(center, 28, 18);
    return overlay;
}

// The experiment's tick timer wants an application object.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "bench_trackfile";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    GlobalConsole::FullOptimization = true;
}

void BM_SaveTrackWithPngOverlay640x480(benchmark::State& state)
{
    ensureApplication();
    QTemporaryDir folder;
    ParadigmForBench experiment(folder.path());
    QImage background(640, 480, QImage::Format_RGB32);
    background.fill(Qt::gray);
    experiment.setBackground(background);
    experiment.start(true);
    bool inDanger = false;
    experiment.processFrame(true, QSize(640, 480), QPoint(320, 240), QRect(292, 222, 56, 36), inDanger);
    const QString trackPath = experiment.runFolder() + QStringLiteral("Track.tdata");
    QList<QImage> overlays;
    for (int i = 0; i < 16; ++i)
        overlays << blobOverlay(QPoint(100 + i * 25, 120 + i * 10));
    int i = 0;
    for (auto _ : state) {
        const QPoint center(100 + (i % 16) * 25, 120 + (i % 16) * 10);
        experiment.saveTrack(true, overlays.at(i % 16), center, QRect(center - QPoint(28, 18), QSize(56, 36)), 1600);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes/frame"] = double(QFileInfo(trackPath).size() - 16) / double(state.iterations());
    experiment.stop();
}
BENCHMARK(BM_SaveTrackWithPngOverlay640x480)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
