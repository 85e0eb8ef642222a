// Reads arbitrary text as a run's event log the way the results page's time line does, and
// draws it. The log is always valid; every event lies on a channel of the chamber, at times a
// run can have; the duration is the last readable time less the first; drawing ends.
// Run with ASAN_OPTIONS=detect_leaks=0: the font caches of the drawing live until the process ends.
#include "TimelineViewer.h"

#include <QApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr qint64 latestMs = qint64(1) << 53;

bool isRunTime(qint64 ms)
{
    return ms >= 0 && ms <= latestMs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_timelineevents";
    static char* argv[] = {name, nullptr};
    static const bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: torn down at exit it leaves Qt's font engines unreachable, and the leak
    // check at exit would report them as this target's.
    static const QApplication* application = new QApplication(argc, argv);
    static TimelineViewer viewer;
    static QImage canvas(240, 90, QImage::Format_RGB32);
    (void)offscreen;
    (void)application;

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    viewer.setStartleCurve(size % 2 ? QMap<qint64, float>{{0, 0.5f}, {qint64(size) * 100, -1.0f}}
                                    : QMap<qint64, float>());
    viewer.parseEvents(text);
    if (!viewer.eventsValid() || !isRunTime(std::abs(viewer.durationMs())))
        std::abort();
    if (viewer.events().size() > text.count(QLatin1Char('\n')) + 1)
        std::abort();
    for (const TimelineViewer::StimulusEvent& event : viewer.events()) {
        if (!isRunTime(event.startMs) || !isRunTime(event.endMs) || int(event.channel) < 0 || int(event.channel) > 2)
            std::abort();
    }
    viewer.resize(canvas.size());
    viewer.render(&canvas);
    return 0;
}
