#pragma once

#include "BaseTimedExperiment.h"
#include "KestrumBaseDevice.h"

#include <optional>

class Experiment_LightBox_Stats;

// The light/dark box with punishment: the lit half (LightBoxSide) is safe, the dark half is the
// danger zone with the grid current and a tone. Each entry into the danger zone begins a cycle;
// the run stops after MaxCycles cycles or at its time limit. Without the door unit the stimulus
// lasts while the animal stays; with it the door closes behind the animal for a shock phase and
// then opens for a safe phase.
//
// The zone decision is smoothed over frames (SafeDelay / 30 of them: about 30 ms a frame).
class Experiment_Lightbox : public BaseTimedExperiment
{
    Q_OBJECT
public:
    enum ElectrocutionBehavior { Peep = 0, AllIn = 1 };
    Q_ENUM(ElectrocutionBehavior)

    ZT_PROPERTY(KestrumBaseDevice::KestrumSideness, LightBoxSide, KestrumBaseDevice::LeftSide)
    Q_CLASSINFO("LightBoxSideCategory", "MainSettings")
    ZT_BOUNDED_PROPERTY(double, Circuit, 2, 0, 15, 0.1)
    Q_CLASSINFO("CircuitSuffix", " mA")
    Q_CLASSINFO("CircuitCategory", "MainSettings")
    Q_CLASSINFO("CircuitPrecision", "1")
    ZT_PROPERTY(bool, UseDoor, false)
    Q_CLASSINFO("UseDoorCategory", "MainSettings")
    ZT_PROPERTY(ElectrocutionBehavior, DoorlessElectrocutionBehavior, Experiment_Lightbox::Peep)
    Q_CLASSINFO("DoorlessElectrocutionBehaviorCategory", "MainSettings")
    Q_CLASSINFO("DoorlessElectrocutionBehaviorVisibleBound", "UseDoor:false")
    ZT_BOUNDED_PROPERTY(int, ElectrocutionWithDoorDuration, 10, 1, 300, 1)
    Q_CLASSINFO("ElectrocutionWithDoorDurationSuffix", " s")
    Q_CLASSINFO("ElectrocutionWithDoorDurationCategory", "MainSettings")
    Q_CLASSINFO("ElectrocutionWithDoorDurationVisibleBound", "UseDoor:true")
    ZT_BOUNDED_PROPERTY(int, SafeTimeWithDoorDuration, 10, 1, 300, 1)
    Q_CLASSINFO("SafeTimeWithDoorDurationSuffix", " s")
    Q_CLASSINFO("SafeTimeWithDoorDurationCategory", "MainSettings")
    Q_CLASSINFO("SafeTimeWithDoorDurationVisibleBound", "UseDoor:true")
    ZT_BOUNDED_PROPERTY(int, MaxCycles, 1, 1, 1000, 1)
    Q_CLASSINFO("MaxCyclesCategory", "MainSettings")
    ZT_BOUNDED_PROPERTY(int, LightBrightness, 100, 0, 100, 10)
    Q_CLASSINFO("LightBrightnessSuffix", "%")
    Q_CLASSINFO("LightBrightnessCategory", "XtraSettings")
    Q_CLASSINFO("LightBrightnessSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(int, SoundTone, 0, 0, 10000, 10)
    Q_CLASSINFO("SoundToneSuffix", " Hz")
    Q_CLASSINFO("SoundToneCategory", "XtraSettings")
    Q_CLASSINFO("SoundToneSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(int, SafeDelay, 500, 100, 1000, 1)
    Q_CLASSINFO("SafeDelaySuffix", " ms")
    Q_CLASSINFO("SafeDelayCategory", "XtraSettings")

public:
    Experiment_Lightbox(const QString& baseFolder, QObject* parent = nullptr);

public slots:
    QString typeKey() const override;
    Experiment_Stats* createStats(const QString& statsPath) override;
    QList<ResultColumn> resultColumns() override;
    QString iconPath() override;
    BaseExperiment* createInstance() override;
    void manualAction() override;
    QImage drawOverlay(QSize size) override;

protected:
    void processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                          bool& inDangerZone) override;
    void onStartStop(bool start) override;

private:
    bool isInDangerZone(int frameWidth, QPoint center, const QRect& blob) const;
    // Whether the blob test decides (with the door, or AllIn) rather than the centre.
    bool blobDecides() const;
    void beginLightboxRun();
    void smoothDanger(bool inDanger);
    // One running frame with the animal seen; false when the frame ends early (a stop, or the
    // change to or from a door's safe phase).
    bool followAnimal(QStringList& lines);
    void beginCycle(Experiment_LightBox_Stats* record);
    bool followShockPhase(Experiment_LightBox_Stats* record, QStringList& lines);
    bool followSafePhase(QStringList& lines);
    void stimulate(bool danger);
    void finishFrame(QStringList& lines);

    // The smoothed decision that the animal is in the danger zone.
    bool m_dangerState = false;
    // With the door: a shock phase is running.
    bool m_doorShockPhase = false;
    // With the door: when the running safe phase ends (monotonic ms).
    std::optional<qint64> m_safeUntil;
    // Where the blob test splits the frame, from the lit side.
    float m_allInFraction = 0.55f;
};
