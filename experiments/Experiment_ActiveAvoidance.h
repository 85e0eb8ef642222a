#pragma once

#include "BaseExperiment.h"

#include <functional>

class Experiment_ActiveAvoidance_Stats;

// Two-way active avoidance. A run is a number of cycles; each passes through a waiting phase,
// a light phase (light and an optional tone on the half where the rodent is), a pause and an
// electrocution phase (grid current and an optional tone). The first crossing to the other
// half in a cycle is the rodent's reaction: it switches the stimulation off and spares the
// rest of the cycle's, while the phases still run their full length. A stimulus is armed only up
// to the end of its phase, and the record counts it from the frame that switched it on to the
// frame that ended it, never past its phase.
//
// When frames stall, the frame that comes back passes every phase that ended meanwhile without
// its stimulus (logged as skipped), and a cycle whose light never came on gives no shock: it is
// no trial and is not counted. Manual control taking the device ends the cycle under way.
//
// The current, the brightness, the tones and the number of cycles may change during a run and
// apply at their next use; the four phase lengths are fixed at the run's start moment.
class Experiment_ActiveAvoidance : public BaseExperiment
{
    Q_OBJECT
    ZT_BOUNDED_PROPERTY(int, CyclesCount, 5, 0, 3600, 1)
    Q_CLASSINFO("CyclesCountCategory", "MainSettings")
    ZT_BOUNDED_PROPERTY(double, Circuit, 2, 0, 15, 0.1)
    Q_CLASSINFO("CircuitSuffix", " mA")
    Q_CLASSINFO("CircuitCategory", "MainSettings")
    Q_CLASSINFO("CircuitPrecision", "1")
    ZT_BOUNDED_PROPERTY(int, LightBrightness, 100, 0, 100, 1)
    Q_CLASSINFO("LightBrightnessSuffix", "%")
    Q_CLASSINFO("LightBrightnessCategory", "XtraSettings")
    Q_CLASSINFO("LightBrightnessSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(int, SoundToneLight, 0, 0, 3000, 10)
    Q_CLASSINFO("SoundToneLightSuffix", " Hz")
    Q_CLASSINFO("SoundToneLightCategory", "XtraSettings")
    Q_CLASSINFO("SoundToneLightSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(int, SoundToneElectrocution, 0, 0, 3000, 10)
    Q_CLASSINFO("SoundToneElectrocutionSuffix", " Hz")
    Q_CLASSINFO("SoundToneElectrocutionCategory", "XtraSettings")
    Q_CLASSINFO("SoundToneElectrocutionSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(double, StartPhase, 15, 0, 3600, 1)
    Q_CLASSINFO("StartPhaseSuffix", " s")
    Q_CLASSINFO("StartPhaseCategory", "MainSettings")
    Q_CLASSINFO("StartPhasePrecision", "0")
    ZT_BOUNDED_PROPERTY(double, LightPhase, 10, 1, 3600, 1)
    Q_CLASSINFO("LightPhaseSuffix", " s")
    Q_CLASSINFO("LightPhaseCategory", "MainSettings")
    Q_CLASSINFO("LightPhasePrecision", "0")
    ZT_BOUNDED_PROPERTY(double, BreakPhase, 5, 0, 3600, 1)
    Q_CLASSINFO("BreakPhaseSuffix", " s")
    Q_CLASSINFO("BreakPhaseCategory", "MainSettings")
    Q_CLASSINFO("BreakPhasePrecision", "0")
    ZT_BOUNDED_PROPERTY(double, ElectrocutionPhase, 30, 1, 3600, 1)
    Q_CLASSINFO("ElectrocutionPhaseSuffix", " s")
    Q_CLASSINFO("ElectrocutionPhaseCategory", "MainSettings")
    Q_CLASSINFO("ElectrocutionPhasePrecision", "0")

public:
    enum Phase { None = 0, Start = 1, Light = 2, Break = 3, Electro = 4 };
    Q_ENUM(Phase)

    explicit Experiment_ActiveAvoidance(const QString& baseFolder, QObject* parent = nullptr);

    bool singleReferenceFrame() override;
    void prepareBackgroundLight() override;

public slots:
    QString typeKey() const override;
    bool manualActionBeforeBackground() override;
    Experiment_Stats* createStats(const QString& statsPath) override;
    QList<ResultColumn> resultColumns() override;
    QString iconPath() override;
    BaseExperiment* createInstance() override;
    void manualAction() override;

protected slots:
    void processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                          bool& inDangerZone) override;
    void onStartStop(bool start) override;

protected:
    void onDeviceTaken() override;

private:
    // What the detector thread reads of the settings: copied under the run mutex in the
    // object's own thread whenever one changes.
    struct Settings
    {
        int cycles = 0;
        double circuit = 0.0;
        int brightness = 0;
        int toneLight = 0;
        int toneElectrocution = 0;
        int startPhaseMs = 0;
        int lightPhaseMs = 0;
        int breakPhaseMs = 0;
        int electroPhaseMs = 0;
    };

    void takeSettings();
    void onCircuitChanged();
    bool startRun();
    void fixPhaseLengths();
    qint64 phaseEndMs(Phase phase) const;
    void advancePhases();
    void beginCycle();
    void setPhase(Phase phase, qint64 t);
    void giveStimulus(Phase phase, qint64 t);
    void leaveLight(qint64 t);
    bool endCycle(qint64 t);
    void closeCycle(qint64 t);
    void endShock(qint64 t);
    void react(qint64 t);
    bool isAcross() const;
    void reactIfAcross();
    qint64 cycleTimeMs() const;
    void switchOff();
    void stimulate(const std::function<void(KestrumBaseDevice*)>& command);
    void updateCyclesText();
    void finishRecord();
    Experiment_ActiveAvoidance_Stats* record() const;

    Settings m_settings;
    Phase m_phase = None;
    bool m_reacted = false;
    // The cycle's light came on (so the cycle is a trial), and the cycle is not closed yet.
    bool m_lit = false;
    // The cycle's shock came on, after its light, and was not escaped yet.
    bool m_shockOn = false;
    int m_completedCycles = 0;
    int m_lightSide = 0;
    int m_rodentSide = 0;
    qint64 m_cycleStartMs = 0;
    // When the cycle's light and shock came on, on the cycle's time.
    qint64 m_lightOnMs = 0;
    qint64 m_shockOnMs = 0;
    // Phase boundaries of the running run, on the cycle's time.
    int m_lightBeginMs = 0;
    int m_breakBeginMs = 0;
    int m_electroBeginMs = 0;
    int m_cycleEndMs = 0;
    // Something this run switched on may still be on.
    bool m_outputsOn = false;
};
