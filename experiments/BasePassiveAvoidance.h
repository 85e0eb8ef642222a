#pragma once

#include "BaseTimedExperiment.h"

#include <QImage>
#include <QPolygon>
#include <QRect>

#include <optional>

class Experiment_LightBox_Stats;

// The passive avoidance paradigms: the arena is a safe zone and a danger zone, painted by the
// concrete paradigm into a zone mask. The run starts when the animal is first seen in the safe
// zone; a stay in the danger zone longer than SafeIntervalMs is punished with the grid current
// (and a tone) for as long as it lasts, and the zone times go into the zone-time record.
//
// Threads: the mask is repainted in the user-interface thread (settings) and in the detector
// thread (frame size) while frames read it; the zone geometry is therefore run state, guarded by
// the run mutex.
class BasePassiveAvoidance : public BaseTimedExperiment
{
    Q_OBJECT
public:
    enum ElectrocutionBehavior { Peep = 0, AllIn = 1 };
    Q_ENUM(ElectrocutionBehavior)

    ZT_PROPERTY(ElectrocutionBehavior, ElectrocutionBehavior, BasePassiveAvoidance::Peep)
    Q_CLASSINFO("ElectrocutionBehaviorCategory", "MainSettings")
    ZT_BOUNDED_PROPERTY(double, Circuit, 2, 0, 15, 0.1)
    Q_CLASSINFO("CircuitSuffix", " mA")
    Q_CLASSINFO("CircuitCategory", "MainSettings")
    Q_CLASSINFO("CircuitPrecision", "1")
    ZT_BOUNDED_PROPERTY(int, LightBrightness, 0, 0, 100, 10)
    Q_CLASSINFO("LightBrightnessSuffix", "%")
    Q_CLASSINFO("LightBrightnessCategory", "XtraSettings")
    Q_CLASSINFO("LightBrightnessSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(int, SoundToneForElectro, 0, 0, 10000, 10)
    Q_CLASSINFO("SoundToneForElectroSuffix", " Hz")
    Q_CLASSINFO("SoundToneForElectroCategory", "XtraSettings")
    Q_CLASSINFO("SoundToneForElectroSpecialType", "Slider")
    ZT_BOUNDED_PROPERTY(int, SafeIntervalMs, 300, 0, 2000, 50)
    Q_CLASSINFO("SafeIntervalMsSuffix", " ms")
    Q_CLASSINFO("SafeIntervalMsCategory", "XtraSettings")

public:
    BasePassiveAvoidance(const QString& baseFolder, QObject* parent = nullptr);

public slots:
    // Where the safe zone is, as the awaiting text names it.
    virtual QString zoneDescription() = 0;
    virtual bool showsSafeZoneWhileRunning();
    // Recomputes the zone mask and outlines from the frame size and the settings.
    virtual void paintZoneMask() = 0;

    QList<ResultColumn> resultColumns() override;
    void manualAction() override;
    QImage drawOverlay(QSize size) override;

protected:
    // The arena inside the frame's margins (12 % left and right, 18 % top and bottom).
    static QRect innerArena(QSize frame);
    // Paints the mask for the frame, where the inner arena but for `maskSafe` is the danger zone,
    // and stores the outlines the overlay draws. A paint holds the run mutex from reading the
    // frame size and settings to here, so that two paints never mix their geometry.
    void setZones(QSize frame, const QPolygon& maskSafe, const QPolygon& safe, const QPolygon& danger, QRect label);

    Experiment_Stats* createRunStats(const QString& statsPath) override;
    void processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                          bool& inDangerZone) override;
    void onStartStop(bool start) override;

private:
    bool isInDangerZone(QPoint center) const;
    void beginZoneRun();
    // One running frame with the animal seen: zone stays, grace time and stimulus.
    void followAnimal(bool inDanger, QStringList& texts);
    void stimulate(bool punish);
    void drawZones(QPainter& painter);

    QImage m_zoneMask;
    QPolygon m_safePolygon;
    QPolygon m_dangerPolygon;
    QRect m_labelRect;
    // When a stay in the danger zone becomes punishable (its entry plus SafeIntervalMs).
    std::optional<qint64> m_dangerSince;
};
