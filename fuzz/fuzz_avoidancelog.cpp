// Builds the per-cycle table of an active avoidance record from an arbitrary log (its words and
// separators come up often) and run length. Every row is one cycle, numbered in turn, whose
// counts are 0 or 1, a denial only where the current was reached, and whose times are numbers.
#include "Experiment_ActiveAvoidance_Stats.h"
#include "FuzzStream.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const QList<QByteArray> words{"PhaseStart", "PhaseLight", "PhaseBreak", "PhaseElectro",
                              "Reaction",   "Finished",   "Skipped",    "\r\n",
                              "|",          "0",          "1000"};

void checkRow(const Experiment_ActiveAvoidance_Stats& row, int number)
{
    const bool oneCycle = row.getCyclesCount() == 1 && std::isnan(row.getElectrocutionTime());
    const bool counts = (row.getElectrocutionCount() == 0 || row.getElectrocutionCount() == 1)
                        && (row.getDenialCount() == 0 || row.getDenialCount() == row.getElectrocutionCount());
    const bool times = std::isfinite(row.getLightTime()) && row.getLightTime() >= 0
                       && std::isfinite(row.getAverageLightTime()) && std::isfinite(row.getAverageReactionTime())
                       && std::isfinite(row.getAverageElectrocutionTime());
    if (!oneCycle || !counts || !times || !row.title().endsWith(QLatin1Char(' ') + QString::number(number)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_avoidancelog";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    if (size < sizeof(qint32))
        return 0;
    qint32 durationMs = 0;
    std::memcpy(&durationMs, data, sizeof(durationMs));
    const QByteArray log = FuzzStream::fromInput(data + sizeof(durationMs), size - sizeof(durationMs), words).stream;

    Experiment_ActiveAvoidance_Stats record(QString(), false);
    record.setLog(QString::fromUtf8(log));
    record.setDurationMs(durationMs);
    const QList<Experiment_Stats*> rows = record.buildResult();
    if (rows.size() > log.count('|') + 1)
        std::abort();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        checkRow(*static_cast<Experiment_ActiveAvoidance_Stats*>(rows.at(i)), int(i) + 1);
        delete rows.at(i);
    }
    return 0;
}
