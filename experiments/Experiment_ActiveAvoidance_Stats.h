#pragma once

#include "Experiment_Stats.h"

// The result record of an active avoidance run: reaction, light and electrocution times with
// their counts and per-cycle averages, each single time kept in a ";"-terminated list, and the
// per-cycle table rebuilt from the run's log and those lists.
class Experiment_ActiveAvoidance_Stats : public Experiment_Stats
{
    Q_OBJECT
    ZT_PROPERTY(double, ElectrocutionTime, 0)
    ZT_PROPERTY(double, LightTime, 0)
    ZT_PROPERTY(double, ReactionTime, 0)
    ZT_PROPERTY(double, AverageReactionTime, 0)
    ZT_PROPERTY(double, AverageLightTime, 0)
    ZT_PROPERTY(double, AverageElectrocutionTime, 0)
    ZT_PROPERTY(int, ElectrocutionCount, 0)
    ZT_PROPERTY(int, DenialCount, 0)
    ZT_PROPERTY(QString, ElectrocutionTimes, "")
    ZT_PROPERTY(QString, LightTimes, "")
    ZT_PROPERTY(QString, ReactionTimes, "")

public:
    Experiment_ActiveAvoidance_Stats(const QString& statsFilePath, bool autoSave, QObject* parent = nullptr);

    // Each adds the time to its list and total (an electrocution also to the count), then
    // updates the averages.
    void addElectrocutionTime(int ms);
    void addLightTime(int ms);
    void addReactionTime(int ms);
    // Counts one more cycle, a trial from its light's onset, so that every save divides by the
    // cycles it holds.
    void addCycle();
    // The totals divided by CyclesCount; nothing changes while CyclesCount is 0. The times of
    // the cycle under way join the totals when it ends, or at the stop, so the averages are
    // final only after finish.
    void updateAverages();

protected:
    // Only the stop closes the cycle under way, whose times and counts the summary then takes in.
    bool knowsBeforeStop(const QString& name) const override;
    bool lacksValue(const QString& name) const override;

public slots:
    // One row per cycle, built from the log, with the fields reused for that cycle's values:
    // LightTime the light onset in seconds since the run's start, AverageLightTime,
    // AverageElectrocutionTime and AverageReactionTime the cycle's own times (ms),
    // ElectrocutionCount and DenialCount 0 or 1, DurationMs the cycle's length. The log tells the
    // cycles apart; their times are the stored ones, which the summary averages, and only a cycle
    // of which nothing is stored (the last one of a run cut off, or of an older record stopped
    // mid-cycle) has its times from the log. A cycle whose light never came on was no trial and
    // has no row. A time measured up to a phase or cycle boundary carries 0.005 more than a
    // whole millisecond.
    QList<Experiment_Stats*> buildResult() override;
    void start() override;
    void finish() override;
};
