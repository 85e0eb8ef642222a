#include "Experiment_ConflictTest_Stats.h"

#include <QCoreApplication>

QString Experiment_ConflictTest_Stats::safeZoneName() const
{
    static const QString name = QCoreApplication::translate("Generic", "Safe zone");
    return name;
}

QString Experiment_ConflictTest_Stats::dangerZoneName() const
{
    static const QString name = QCoreApplication::translate("Generic", "Dispenser zone");
    return name;
}
