#pragma once

#include "Experiment_Stats.h"

class Clock;

// The result record of a startle-reflex run. The analysis pairs the stimulus marks of the
// run's log with the sensor samples of its Startle.csv, finds at most one reaction per stimulus
// and keeps, per stimulus kind (light, grid current, sound), the number of stimuli, the number
// of them with a reaction and the reactions' means, with the reactions as text, one line each.
//
// The analysis is stored for good only for a finished run: a run still being recorded (or one
// cut off before its stop) is analysed in memory, and its Stats.xml, which the running record
// itself writes, is left alone.
class Experiment_StartleReflex_Stats : public Experiment_Stats
{
    Q_OBJECT
    ZT_PROPERTY(int, Cycles, 0)
    ZT_PROPERTY(int, MaxCycles, 0)
    ZT_PROPERTY(bool, ReactionsCalced, false)
    ZT_PROPERTY(QString, ReactionsList, "")
    ZT_PROPERTY(int, StimulusCount, 0)
    ZT_PROPERTY(int, ReactedStimulusCount, 0)
    ZT_PROPERTY(double, AverageReactionToAllStims, 0)
    ZT_PROPERTY(double, ReactionToLight, 0)
    ZT_PROPERTY(double, DurationToLight, 0)
    ZT_PROPERTY(double, AmplitudeToLight, 0)
    ZT_PROPERTY(int, LightStimulusCount, 0)
    ZT_PROPERTY(int, LightReactedStimulusCount, 0)
    ZT_PROPERTY(double, ReactionToCircuit, 0)
    ZT_PROPERTY(double, DurationToCircuit, 0)
    ZT_PROPERTY(double, AmplitudeToCircuit, 0)
    ZT_PROPERTY(int, CircuitStimulusCount, 0)
    ZT_PROPERTY(int, CircuitReactedStimulusCount, 0)
    ZT_PROPERTY(double, ReactionToSound, 0)
    ZT_PROPERTY(double, DurationToSound, 0)
    ZT_PROPERTY(double, AmplitudeToSound, 0)
    ZT_PROPERTY(int, SoundStimulusCount, 0)
    ZT_PROPERTY(int, SoundReactedStimulusCount, 0)
    ZT_PROPERTY(QString, ScenarioName, "")

public:
    static constexpr const char* samplesFileName = "Startle.csv";

    Experiment_StartleReflex_Stats(const QString& statsFilePath, bool autoSave, QObject* parent = nullptr);

    // Where the run's length is measured; the system clock when null.
    void setClock(Clock* clock);
    // Fills the reactions from ReactionsList, unless some are held already.
    void loadReactions();
    // The run was stopped and its record finished.
    bool runFinished() const;
    // Finds the reactions in the run's Startle.csv and shows their totals, writing nothing:
    // only a recalculation asked for stores them.
    void analyse();

public slots:
    // One item per reaction, titled by its kind and its number among that kind's, carrying its
    // latency, duration and amplitude in the fields of its kind and no value elsewhere.
    QList<Experiment_Stats*> buildResult() override;
    void start() override;
    void finish() override;
    bool isRecalculated() override;
    void recalculateReactions() override;
    bool hasReactionsToRecalculate() const override;

protected:
    // A kind none of whose stimuli had a reaction has no mean latency, duration or amplitude, and
    // a run without any reaction no overall latency, though the record stores 0 for them.
    bool lacksValue(const QString& name) const override;

private:
    Clock* m_clock;
    qint64 m_startMs = 0;
};
