// The results page on a large data folder: listing a paradigm with 1,000 runs, and exporting
// the statistics of 100 runs to an XLSX workbook (one sheet per run). Aim: under 2 s each.
#include "BaseExperiment.h"
#include "Experiment_Stats.h"
#include "ExperimentsTable.h"
#include "KestrumModel.h"
#include "PageResults.h"
#include "SerialPortEnumerator.h"
#include "WidgetBenchmarkMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A data folder whose light/dark box paradigm holds `runs` finished runs.
struct DataFolder
{
    explicit DataFolder(int runs)
    {
        SerialPortEnumerator::setSystemPortsIncluded(false);
        model = std::make_unique<KestrumModel>(folder.path());
        model->init();
        BaseExperiment* paradigm = model->currentExperiment();
        for (int i = 0; i < runs; ++i) {
            const QString run =
                QStringLiteral("%1/LightBox/2024.01.10-10.%2/").arg(folder.path()).arg(i, 5, 10, QChar('0'));
            QDir().mkpath(run);
            std::unique_ptr<Experiment_Stats> record(paradigm->createStats(run + QStringLiteral("Stats.xml")));
            record->setValue(QStringLiteral("LatentTimeMs"), 1000 + i);
            record->setValue(QStringLiteral("DurationMs"), 60000);
            record->setRodent(QStringLiteral("Крыса %1").arg(i));
            record->save();
        }
    }

    QTemporaryDir folder;
    std::unique_ptr<KestrumModel> model;
};

void BM_ListThousandRuns(benchmark::State& state)
{
    DataFolder data(1000);
    PageResults page;
    for (auto _ : state)
        page.scanExperiments();
    state.counters["rows"] = page.folderTable()->rowCount();
}
BENCHMARK(BM_ListThousandRuns)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportHundredRuns(benchmark::State& state)
{
    DataFolder data(100);
    PageResults page;
    page.scanExperiments();
    page.folderTable()->selectAll();
    const QString path = data.folder.filePath(QStringLiteral("runs.xlsx"));
    bool written = false;
    for (auto _ : state)
        written = page.statisticsTable()->writeSpreadsheet(path, QStringLiteral("xlsx"));
    state.counters["written"] = written;
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_ExportHundredRuns)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
