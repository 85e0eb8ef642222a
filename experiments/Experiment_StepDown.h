#pragma once

#include "BasePassiveAvoidance.h"
#include "KestrumBaseDevice.h"

// The step-down test: the safe zone is a platform (round, or a small or big rectangle at the
// left or right edge); the rest of the arena is the danger zone.
class Experiment_StepDown : public BasePassiveAvoidance
{
    Q_OBJECT
public:
    enum PlatformType { Platform_Round = 0, Platform_SmallRect = 1, Platform_BigRect = 2 };
    Q_ENUM(PlatformType)

    ZT_PROPERTY(PlatformType, Platform, Experiment_StepDown::Platform_Round)
    Q_CLASSINFO("PlatformCategory", "MainSettings")
    Q_CLASSINFO("PlatformNoDefault", "true")
    Q_CLASSINFO("PlatformIconPlatform_Round", ":/Images/step-down-circle.svg")
    Q_CLASSINFO("PlatformIconPlatform_SmallRect", ":/Images/step-down-small.svg")
    Q_CLASSINFO("PlatformIconPlatform_BigRect", ":/Images/step-down-big.svg")
    ZT_PROPERTY(KestrumBaseDevice::KestrumSideness, RectPlatformSide, KestrumBaseDevice::LeftSide)
    Q_CLASSINFO("RectPlatformSideCategory", "MainSettings")
    Q_CLASSINFO("RectPlatformSideNoDefault", "true")
    Q_CLASSINFO("RectPlatformSideVisibleBound", "Platform:!Platform_Round")
    Q_CLASSINFO("RectPlatformSideIconLeftSide", ":/Images/side-left.svg")
    Q_CLASSINFO("RectPlatformSideIconRightSide", ":/Images/side-right.svg")
    ZT_BOUNDED_PROPERTY(int, Sensitivity, 50, 0, 100, 1)
    Q_CLASSINFO("SensitivitySuffix", "%")
    Q_CLASSINFO("SensitivityCategory", "XtraSettings")
    // The step-down test has no dispenser; the inherited choice means nothing here.
    Q_CLASSINFO("ElectrocutionBehaviorNotVisible", "true")

public:
    Experiment_StepDown(const QString& baseFolder, QObject* parent = nullptr);

public slots:
    QString typeKey() const override;
    Experiment_Stats* createStats(const QString& statsPath) override;
    QString iconPath() override;
    BaseExperiment* createInstance() override;
    QString zoneDescription() override;
    bool showsSafeZoneWhileRunning() override;
    void paintZoneMask() override;

private:
    // The platform's outline; it grows by up to 7 % as the sensitivity falls.
    QPolygon platform(QSize frame) const;
};
