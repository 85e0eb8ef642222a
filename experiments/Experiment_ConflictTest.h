#pragma once

#include "BasePassiveAvoidance.h"
#include "KestrumBaseDevice.h"

// The drinking conflict (Vogel) test: the danger zone is a dispenser strip along the left or
// right edge of the arena.
class Experiment_ConflictTest : public BasePassiveAvoidance
{
    Q_OBJECT
    ZT_PROPERTY(KestrumBaseDevice::KestrumSideness, DispenserSide, KestrumBaseDevice::LeftSide)
    Q_CLASSINFO("DispenserSideCategory", "MainSettings")
    Q_CLASSINFO("DispenserSideIconLeftSide", ":/Images/side-left.svg")
    Q_CLASSINFO("DispenserSideIconRightSide", ":/Images/side-right.svg")
    ZT_BOUNDED_PROPERTY(int, DispenserArea, 35, 15, 50, 1)
    Q_CLASSINFO("DispenserAreaSuffix", "%")
    Q_CLASSINFO("DispenserAreaCategory", "MainSettings")

public:
    Experiment_ConflictTest(const QString& baseFolder, QObject* parent = nullptr);

public slots:
    QString typeKey() const override;
    Experiment_Stats* createStats(const QString& statsPath) override;
    QString iconPath() override;
    BaseExperiment* createInstance() override;
    QString zoneDescription() override;
    void paintZoneMask() override;

private:
    struct Strip
    {
        QRect dispenser;
        QRect safe;
    };
    // The dispenser strip of the given share of the arena's width, and the safe zone beside it
    // (2 pixels apart; the gap belongs to the danger zone).
    Strip strip(QSize frame, double share) const;
};
