#include "Experiment_ActiveAvoidance_Stats.h"

#include "NumericFunctions.h"
#include "RunLogLine.h"
#include "TextHelper.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

// Values measured up to a phase or cycle boundary rather than to a reaction carry this mark.
constexpr double boundaryMark = 0.005;
// The length of a last cycle that nothing else can tell.
constexpr int unknownCycleMs = 60000;
// A count the result tables show as missing.
constexpr int noCount = std::numeric_limits<int>::min();

QString withTime(const QString& list, int ms)
{
    return list + QString::number(ms) + QLatin1Char(';');
}

int clampedToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Walks a run's log entry by entry and closes one row per cycle.
class CycleTable
{
public:
    // A run cut off before its stop ends no measure of its last cycle.
    CycleTable(int runDurationMs, bool cutOff)
        : m_runDurationMs(runDurationMs)
        , m_cutOff(cutOff)
    {
        beginRow();
    }

    // False once the run's "Finished" entry has closed the table. Only the phases, reactions,
    // manual control taking the device and the run's end shape it; other entries (a change of the
    // current) leave it as it is.
    bool add(const RunLogLine& line)
    {
        const bool runEnd = line.text == QLatin1String("Finished");
        if (line.text == QLatin1String("ManualControl_Taken")) {
            interrupt(line.timeMs);
            return true;
        }
        if (!runEnd && line.text != QLatin1String("Reaction") && !line.text.startsWith(QLatin1String("Phase")))
            return true;
        const bool light = line.text == QLatin1String("PhaseLight");
        // A run without a waiting phase logs no "PhaseStart": there a second light onset in one
        // cycle begins the next cycle, which would otherwise be folded into this one.
        const bool cycleStart = line.text == QLatin1String("PhaseStart") || (light && m_lightSeen);
        endRunningMeasures(line.timeMs - m_cycleStartMs, cycleStart || runEnd);
        if ((cycleStart || runEnd || (light && !m_cycleStarted)) && !cycleBoundary(line.timeMs, runEnd))
            return false;
        const qint64 rel = line.timeMs - m_cycleStartMs;
        if (light)
            lightOnset(line.timeMs, rel);
        else if (line.text == QLatin1String("PhaseElectro"))
            electroOnset(rel);
        else if (line.text == QLatin1String("Reaction"))
            reaction(rel);
        return true;
    }

    QList<Experiment_Stats*> finish()
    {
        if (m_row && m_cutOff)
            closeCutRow();
        else if (m_row)
            closeLastRow();
        return m_rows;
    }

private:
    void beginRow()
    {
        m_row = std::make_unique<Experiment_ActiveAvoidance_Stats>(QString(), false);
        m_row->setTitle(QCoreApplication::translate("Generic", "Цикл") + QLatin1Char(' ')
                        + QString::number(m_rows.size() + 1));
        m_row->setCyclesCount(1);
        m_row->setElectrocutionTime(std::nan(""));
        m_reacted = false;
        m_lightSeen = false;
        m_electroOn = false;
        m_lightStart = 0;
        m_electroStart = 0;
    }

    void endRunningMeasures(qint64 rel, bool cycleEnds)
    {
        if (m_lightOn) {
            m_row->setAverageLightTime(double(rel - m_lightStart));
            m_lightOn = false;
        }
        if (m_electroOn) {
            m_row->setAverageElectrocutionTime(double(rel - m_electroStart) + boundaryMark);
            m_electroOn = false;
            if (cycleEnds)
                m_row->setDenialCount(1);
        }
    }

    // The first boundary only marks where the first cycle starts; the run's end closes the table.
    bool cycleBoundary(qint64 timeMs, bool runEnd)
    {
        if (!m_cycleStarted) {
            m_cycleStarted = true;
            m_cycleStartMs = timeMs;
            return true;
        }
        closeRow(timeMs - m_cycleStartMs);
        if (runEnd)
            return false;
        beginRow();
        m_cycleStartMs = timeMs;
        return true;
    }

    // Manual control ends the cycle under way as the stop does; the next cycle's first phase
    // marks where it starts.
    void interrupt(qint64 timeMs)
    {
        if (!m_cycleStarted)
            return;
        const qint64 rel = timeMs - m_cycleStartMs;
        endRunningMeasures(rel, true);
        closeRow(rel);
        beginRow();
        m_cycleStarted = false;
    }

    void lightOnset(qint64 timeMs, qint64 rel)
    {
        m_row->setLightTime(timeMs / 1000.0);
        m_lightStart = rel;
        m_lightOn = true;
        m_lightSeen = true;
    }

    void electroOnset(qint64 rel)
    {
        m_electroStart = rel;
        m_electroOn = true;
        m_row->setElectrocutionCount(1);
    }

    void reaction(qint64 rel)
    {
        m_row->setAverageReactionTime(double(rel - m_lightStart));
        m_reacted = true;
    }

    void closeRow(qint64 rel)
    {
        if (!m_reacted)
            m_row->setAverageReactionTime(double(rel - m_lightStart) + boundaryMark);
        m_row->setDurationMs(clampedToInt(rel));
        m_durations << double(rel);
        keepRow();
    }

    void closeLastRow()
    {
        const qint64 end = lastCycleEnd();
        if (!m_reacted)
            m_row->setAverageReactionTime(double(end - m_lightStart) + boundaryMark);
        if (m_electroOn) {
            m_row->setAverageElectrocutionTime(double(end - m_electroStart) + boundaryMark);
            m_row->setDenialCount(1);
        }
        keepRow();
    }

    // What was still being measured has no value; without a reaction, whether and how long the
    // animal would have been shocked is not known either.
    void closeCutRow()
    {
        const double none = std::nan("");
        if (!m_lightSeen)
            m_row->setLightTime(none);
        if (m_lightOn || !m_lightSeen)
            m_row->setAverageLightTime(none);
        if (!m_reacted) {
            m_row->setAverageReactionTime(none);
            m_row->setAverageElectrocutionTime(none);
            m_row->setDenialCount(noCount);
            if (!m_electroOn)
                m_row->setElectrocutionCount(noCount);
        }
        keepRow();
    }

    // A cycle whose light never came on was no trial: nothing was given to react to.
    void keepRow()
    {
        if (m_lightSeen)
            m_rows << m_row.release();
        else
            m_row.reset();
    }

    // Up to the run's end, or estimated from the cycles before it.
    qint64 lastCycleEnd() const
    {
        if (m_runDurationMs > 0)
            return m_runDurationMs - m_cycleStartMs;
        if (!m_durations.isEmpty())
            return qint64(sum(m_durations) + average(m_durations) - double(m_cycleStartMs));
        return unknownCycleMs;
    }

    const int m_runDurationMs;
    const bool m_cutOff;
    std::unique_ptr<Experiment_ActiveAvoidance_Stats> m_row;
    QList<Experiment_Stats*> m_rows;
    QList<double> m_durations;
    bool m_cycleStarted = false;
    qint64 m_cycleStartMs = 0;
    bool m_lightOn = false;
    bool m_lightSeen = false;
    qint64 m_lightStart = 0;
    bool m_electroOn = false;
    qint64 m_electroStart = 0;
    bool m_reacted = false;
};

// Whether the log ends inside a lit cycle without a reaction: one that nothing has closed yet.
bool endsInsideATrial(const QList<RunLogLine>& lines)
{
    bool lit = false;
    bool reacted = false;
    for (const RunLogLine& line : lines) {
        if (line.text == QLatin1String("PhaseLight")) {
            lit = true;
            reacted = false;
        } else if (line.text == QLatin1String("Reaction")) {
            reacted = true;
        } else if (line.text == QLatin1String("PhaseStart") || line.text == QLatin1String("ManualControl_Taken")
                   || line.text == QLatin1String("Finished")) {
            lit = false;
        }
    }
    return lit && !reacted;
}

using TimeGetter = double (Experiment_ActiveAvoidance_Stats::*)() const;
using TimeSetter = void (Experiment_ActiveAvoidance_Stats::*)(const double&);

// The run measured each time from the phase's scheduled onset, and stored it; the log only tells
// when a frame entered the phase, up to a frame later. So the rows that `measured` picks take,
// in order, the stored times of the list, keeping the mark of a time that ran to a boundary. A
// row past the list's end (the cycle the stop cut short) or whose item is no number keeps what
// the log gave.
void takeStoredTimes(const QList<Experiment_Stats*>& rows, const QString& list, TimeGetter get, TimeSetter set,
                     bool (*measured)(const Experiment_ActiveAvoidance_Stats&))
{
    const QStringList times = TextHelper::splitAndTrim(list, QStringLiteral(";"));
    qsizetype next = 0;
    for (Experiment_Stats* item : rows) {
        auto* row = static_cast<Experiment_ActiveAvoidance_Stats*>(item);
        if (!measured(*row))
            continue;
        if (next == times.size())
            return;
        bool isNumber = false;
        const int ms = times.at(next++).toInt(&isNumber);
        if (!isNumber)
            continue;
        const double logged = (row->*get)();
        (row->*set)(ms + (logged == std::floor(logged) ? 0.0 : boundaryMark));
    }
}

bool everyCycle(const Experiment_ActiveAvoidance_Stats&)
{
    return true;
}

bool electrocuted(const Experiment_ActiveAvoidance_Stats& row)
{
    return row.getElectrocutionCount() > 0;
}

} // namespace

Experiment_ActiveAvoidance_Stats::Experiment_ActiveAvoidance_Stats(const QString& statsFilePath, bool autoSave,
                                                                   QObject* parent)
    : Experiment_Stats(statsFilePath, autoSave, parent)
{
}

void Experiment_ActiveAvoidance_Stats::addElectrocutionTime(int ms)
{
    setElectrocutionTimes(withTime(getElectrocutionTimes(), ms));
    setElectrocutionTime(getElectrocutionTime() + ms);
    setElectrocutionCount(getElectrocutionCount() + 1);
    updateAverages();
}

void Experiment_ActiveAvoidance_Stats::addLightTime(int ms)
{
    setLightTimes(withTime(getLightTimes(), ms));
    setLightTime(getLightTime() + ms);
    updateAverages();
}

void Experiment_ActiveAvoidance_Stats::addCycle()
{
    setCyclesCount(getCyclesCount() + 1);
    updateAverages();
}

void Experiment_ActiveAvoidance_Stats::addReactionTime(int ms)
{
    setReactionTimes(withTime(getReactionTimes(), ms));
    setReactionTime(getReactionTime() + ms);
    updateAverages();
}

// The cycles count from their lights' onsets. A trial the animal has not yet reacted in is
// closed only by its end, a stop or manual control: until then the totals, the counts of
// shocks and denials and the averages leave it out, so a run cut off inside one has none of them.
bool Experiment_ActiveAvoidance_Stats::knowsBeforeStop(const QString& name) const
{
    static const QStringList settledByTheClose{QStringLiteral("AverageReactionTime"),
                                               QStringLiteral("AverageLightTime"),
                                               QStringLiteral("AverageElectrocutionTime"),
                                               QStringLiteral("ElectrocutionTime"),
                                               QStringLiteral("ElectrocutionCount"),
                                               QStringLiteral("DenialCount"),
                                               QStringLiteral("LightTime"),
                                               QStringLiteral("ReactionTime")};
    return !settledByTheClose.contains(name) || !endsInsideATrial(RunLogLine::parse(getLog()));
}

// A run without a trial has nothing to average.
bool Experiment_ActiveAvoidance_Stats::lacksValue(const QString& name) const
{
    return getCyclesCount() == 0 && name.startsWith(QLatin1String("Average"));
}

void Experiment_ActiveAvoidance_Stats::updateAverages()
{
    const int cycles = getCyclesCount();
    if (cycles == 0)
        return;
    setAverageReactionTime(getReactionTime() / cycles);
    setAverageLightTime(getLightTime() / cycles);
    setAverageElectrocutionTime(getElectrocutionTime() / cycles);
}

QList<Experiment_Stats*> Experiment_ActiveAvoidance_Stats::buildResult()
{
    const QList<RunLogLine> lines = RunLogLine::parse(getLog());
    if (lines.isEmpty())
        return {};
    CycleTable table(getDurationMs(), isUnfinished());
    for (const RunLogLine& line : lines) {
        if (!table.add(line))
            break;
    }
    const QList<Experiment_Stats*> rows = table.finish();
    takeStoredTimes(rows, getReactionTimes(), &Experiment_ActiveAvoidance_Stats::getAverageReactionTime,
                    &Experiment_ActiveAvoidance_Stats::setAverageReactionTime, everyCycle);
    takeStoredTimes(rows, getLightTimes(), &Experiment_ActiveAvoidance_Stats::getAverageLightTime,
                    &Experiment_ActiveAvoidance_Stats::setAverageLightTime, everyCycle);
    takeStoredTimes(rows, getElectrocutionTimes(), &Experiment_ActiveAvoidance_Stats::getAverageElectrocutionTime,
                    &Experiment_ActiveAvoidance_Stats::setAverageElectrocutionTime, electrocuted);
    return rows;
}

void Experiment_ActiveAvoidance_Stats::start()
{
}

void Experiment_ActiveAvoidance_Stats::finish()
{
    updateAverages();
    closeTrackFile();
}
