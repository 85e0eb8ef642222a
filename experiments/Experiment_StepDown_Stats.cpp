#include "Experiment_StepDown_Stats.h"

#include <QCoreApplication>

QString Experiment_StepDown_Stats::safeZoneName() const
{
    static const QString name = QCoreApplication::translate("Generic", "On platform");
    return name;
}

QString Experiment_StepDown_Stats::dangerZoneName() const
{
    static const QString name = QCoreApplication::translate("Generic", "Off platform");
    return name;
}
