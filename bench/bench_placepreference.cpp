// A place-preference run through the detector's per-frame path (the paradigm's step, then the
// track record) at 30 frames per second on a manual clock: the whole run from trigger to the
// saved record, with the bytes the process wrote. Both should grow in step with the run's length.
#include "Clock.h"
#include "Experiment_PlacePreference.h"
#include "GlobalConsole.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// The experiment's tick timer wants an application object.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "bench_placepreference";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    GlobalConsole::FullOptimization = true;
}

// Bytes the process has handed to write() so far.
qint64 bytesWritten()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The animal crosses the middle back and forth, about once every twenty seconds.
QPoint centreAt(int frame)
{
    return QPoint(320 + int(250 * std::sin(frame / 200.0)), 240 + int(100 * std::cos(frame / 130.0)));
}

void BM_PlacePreferenceRun(benchmark::State& state)
{
    ensureApplication();
    const int frames = int(state.range(0));
    qint64 written = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        ManualClock clock;
        Experiment_PlacePreference experiment(folder.path());
        experiment.setClock(&clock);
        experiment.initSettingsFile(false);
        experiment.setMaxDuration(0);
        experiment.setBackground(QImage(640, 480, QImage::Format_RGB32));
        const qint64 before = bytesWritten();
        experiment.start(true);
        for (int frame = 0; frame < frames; ++frame) {
            clock.advance(frame % 3 == 0 ? 34 : 33);
            const QPoint centre = centreAt(frame);
            const QRect blob(centre - QPoint(28, 18), QSize(56, 36));
            bool inDanger = false;
            experiment.processFrame(true, QSize(640, 480), centre, blob, inDanger);
            experiment.saveTrack(true, QImage(), centre, blob, 1600);
        }
        experiment.stop();
        written = bytesWritten() - before;
    }
    state.counters["frames"] = frames;
    state.counters["bytes written"] = double(written);
    state.counters["bytes/frame"] = double(written) / frames;
}
// 5, 10 and 30 minutes at 30 frames per second.
BENCHMARK(BM_PlacePreferenceRun)->Arg(9'000)->Arg(18'000)->Arg(54'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
