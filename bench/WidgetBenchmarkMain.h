#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

// The whole main() of a benchmark that needs widgets: they are drawn offscreen unless a platform
// is chosen in the environment.
inline int runWidgetBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
