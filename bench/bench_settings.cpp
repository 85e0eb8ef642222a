// One auto-saving setter of a result record of 40 described properties, the change that
// result records see on the per-frame path: announce, rewrite the whole file atomically, and
// announce the save. The pieces are measured too, to show where the time goes.
#include "SettingsFileHelper.h"
#include "ZTSettings.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

class RecordOfForty : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(double, Value1, 0.0)
    ZT_PROPERTY(double, Value2, 0.0)
    ZT_PROPERTY(double, Value3, 0.0)
    ZT_PROPERTY(double, Value4, 0.0)
    ZT_PROPERTY(double, Value5, 0.0)
    ZT_PROPERTY(double, Value6, 0.0)
    ZT_PROPERTY(double, Value7, 0.0)
    ZT_PROPERTY(double, Value8, 0.0)
    ZT_PROPERTY(double, Value9, 0.0)
    ZT_PROPERTY(double, Value10, 0.0)
    ZT_PROPERTY(double, Value11, 0.0)
    ZT_PROPERTY(double, Value12, 0.0)
    ZT_PROPERTY(double, Value13, 0.0)
    ZT_PROPERTY(double, Value14, 0.0)
    ZT_PROPERTY(double, Value15, 0.0)
    ZT_PROPERTY(double, Value16, 0.0)
    ZT_PROPERTY(double, Value17, 0.0)
    ZT_PROPERTY(double, Value18, 0.0)
    ZT_PROPERTY(double, Value19, 0.0)
    ZT_PROPERTY(double, Value20, 0.0)
    ZT_BOUNDED_PROPERTY(int, Count1, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count2, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count3, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count4, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count5, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count6, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count7, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count8, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count9, 0, 0, 1000000, 1)
    ZT_BOUNDED_PROPERTY(int, Count10, 0, 0, 1000000, 1)
    ZT_PROPERTY(QString, Text1, "text")
    ZT_PROPERTY(QString, Text2, "text")
    ZT_PROPERTY(QString, Text3, "text")
    ZT_PROPERTY(QString, Text4, "text")
    ZT_PROPERTY(QString, Text5, "text")
    ZT_PROPERTY(bool, Flag1, false)
    ZT_PROPERTY(bool, Flag2, false)
    ZT_PROPERTY(bool, Flag3, false)
    ZT_PROPERTY(bool, Flag4, false)
    ZT_PROPERTY(bool, Flag5, false)

public:
    using ZTSettings::ZTSettings;
};

namespace {
QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "bench_settings";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// Changes one value again and again on a record that saves to `path` (none: no file).
void runSetter(benchmark::State& state, const QString& path, ZTSettings::ZTSettingsFormat format)
{
    application();
    RecordOfForty record(path, !path.isEmpty(), nullptr, format);
    record.metaDescriptor();
    double value = 0;
    for (auto _ : state)
        record.setValue7(value += 0.25);
}

void AutoSavingSetterXml(benchmark::State& state)
{
    QTemporaryDir folder;
    runSetter(state, folder.filePath(QStringLiteral("Stats.xml")), ZTSettings::XML);
}
BENCHMARK(AutoSavingSetterXml)->Unit(benchmark::kMicrosecond);

void AutoSavingSetterJson(benchmark::State& state)
{
    QTemporaryDir folder;
    runSetter(state, folder.filePath(QStringLiteral("Stats.json")), ZTSettings::JSON);
}
BENCHMARK(AutoSavingSetterJson)->Unit(benchmark::kMicrosecond);

void SetterWithoutSaving(benchmark::State& state)
{
    runSetter(state, QString(), ZTSettings::XML);
}
BENCHMARK(SetterWithoutSaving)->Unit(benchmark::kMicrosecond);

void XmlTextOfTheRecord(benchmark::State& state)
{
    application();
    RecordOfForty record;
    for (auto _ : state)
        benchmark::DoNotOptimize(record.saveToString());
}
BENCHMARK(XmlTextOfTheRecord)->Unit(benchmark::kMicrosecond);

void AtomicCommitOfTheFile(benchmark::State& state)
{
    application();
    QTemporaryDir folder;
    RecordOfForty record;
    const QByteArray bytes = record.saveToString().toUtf8();
    const QString path = folder.filePath(QStringLiteral("Stats.xml"));
    for (auto _ : state)
        benchmark::DoNotOptimize(SettingsFileHelper::commit(path, bytes));
}
BENCHMARK(AtomicCommitOfTheFile)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();

#include "bench_settings.moc"
