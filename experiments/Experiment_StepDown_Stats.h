#pragma once

#include "Experiment_LightBox_Stats.h"

// The zone-time record of a stored step-down test run, which names its zones.
class Experiment_StepDown_Stats : public Experiment_LightBox_Stats
{
    Q_OBJECT
public:
    using Experiment_LightBox_Stats::Experiment_LightBox_Stats;

public slots:
    QString safeZoneName() const override;
    QString dangerZoneName() const override;
};
