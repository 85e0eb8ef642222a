#pragma once

#include "BaseScenarioExperiment.h"

#include <optional>

class Experiment_StartleReflex_Stats;

// The startle-reflex paradigm: plays its scenario on the chamber (a preambule, the cycles in
// which the light, grid and sound steps run on their own time lines, a postambule) while the
// panel records the startle sensor. It measures nothing itself: it marks every phase, cycle
// and step edge in the run's log, and its record pairs those marks with the sensor's samples.
//
// The camera plays no part: the run starts on the first frame after the trigger, and the
// phases advance on frames, so their resolution is the frame interval.
class Experiment_StartleReflex : public BaseScenarioExperiment
{
    Q_OBJECT

public:
    explicit Experiment_StartleReflex(const QString& baseFolder, QObject* parent = nullptr);

public slots:
    QString typeKey() const override;
    Experiment_Stats* createStats(const QString& statsPath) override;
    QList<ResultColumn> resultColumns() override;
    QString iconPath() override;
    BaseExperiment* createInstance() override;
    bool usesStartleSensor() override;
    void manualAction() override;

protected slots:
    void processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                          bool& inDangerZone) override;
    void onStartStop(bool start) override;

protected:
    void prepareRun() override;
    void onDeviceTaken() override;

private:
    // What one frame asks of the chamber, with how long the running grid and sound steps last.
    struct Outputs
    {
        int light = 0;
        int sound = 0;
        qint64 soundLeftMs = 0;
        double circuit = 0.0;
        qint64 circuitLeftMs = 0;
    };

    // What one output was last told, so that a frame sends a change, or renews a stimulus
    // before the dead-man time it was given runs out, and nothing else.
    struct SentOutput
    {
        std::optional<double> value;
        qint64 atMs = 0;

        bool needsSending(double wanted, qint64 nowMs, int deadManMs) const;
    };

    void startRun(ExperimentScenario& scenario);
    void runPhases(ExperimentScenario& scenario, Outputs& outputs);
    bool preambule(qint64 elapsedMs);
    bool stimulation(ExperimentScenario& scenario, qint64 elapsedMs, Outputs& outputs);
    bool postambule(qint64 elapsedMs);
    void beginCycle(ExperimentScenario& scenario, int index);
    QString cycleCounter(const ExperimentScenario& scenario) const;
    void evaluateSteps(ExperimentScenario& scenario, qint64 elapsedMs, Outputs& outputs);
    void endStepsUnderWay();
    void drive(const Outputs& outputs);
    void sendLight(KestrumBaseDevice* device, int level);
    void sendSound(KestrumBaseDevice* device, int toneHz, qint64 leftMs, qint64 nowMs);
    void sendCircuit(KestrumBaseDevice* device, double milliamperes, qint64 leftMs, qint64 nowMs);
    void allOffBetweenCycles();
    void forgetSentOutputs();

    int m_preambuleSeconds = 0;
    int m_postambuleSeconds = 0;
    qint64 m_phaseStartMs = 0;
    int m_cycleIndex = 0;
    bool m_preambuleDone = true;
    bool m_postambuleDone = true;
    bool m_stimulationFinished = false;
    bool m_stimulationStarted = false;
    bool m_preambuleStarted = false;
    bool m_postambuleStarted = false;
    SentOutput m_sentLight;
    SentOutput m_sentSound;
    SentOutput m_sentCircuit;
};
