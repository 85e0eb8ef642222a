// Builds the per-cycle table of an active avoidance record from an arbitrary log (its words, manual
// control's among them, and separators come up often), run length and stored time lists ("#" parts
// the log from the lists of reaction, light and electrocution times). Every row is one cycle,
// numbered in turn, whose counts are 0 or 1, a denial only where the current was reached, and
// whose times are numbers; a row with a stored reaction time shows that time.
#include "Experiment_ActiveAvoidance_Stats.h"
#include "FuzzStream.h"
#include "TextHelper.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const QList<QByteArray> words{"PhaseStart",
                              "PhaseLight",
                              "PhaseBreak",
                              "PhaseElectro",
                              "Reaction",
                              "Finished",
                              "Skipped",
                              "ManualControl_Taken",
                              "ManualControl_Returned",
                              "\r\n",
                              "|",
                              "0",
                              "1000",
                              "#",
                              ";"};

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
    QList<QByteArray> parts =
        FuzzStream::fromInput(data + sizeof(durationMs), size - sizeof(durationMs), words).stream.split('#');
    parts.resize(4);
    const QByteArray& log = parts.at(0);

    Experiment_ActiveAvoidance_Stats record(QString(), false);
    record.setLog(QString::fromUtf8(log));
    record.setDurationMs(durationMs);
    record.setReactionTimes(QString::fromUtf8(parts.at(1)));
    record.setLightTimes(QString::fromUtf8(parts.at(2)));
    record.setElectrocutionTimes(QString::fromUtf8(parts.at(3)));
    const QList<Experiment_Stats*> rows = record.buildResult();
    if (rows.size() > log.count('|') + 1)
        std::abort();
    const QStringList reactions = TextHelper::splitAndTrim(record.getReactionTimes(), QStringLiteral(";"));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const auto* row = static_cast<Experiment_ActiveAvoidance_Stats*>(rows.at(i));
        checkRow(*row, int(i) + 1);
        bool isNumber = false;
        const int stored = i < reactions.size() ? reactions.at(i).toInt(&isNumber) : 0;
        if (isNumber && std::floor(row->getAverageReactionTime()) != stored)
            std::abort();
        delete row;
    }
    return 0;
}
