#include "BaseTimedExperiment.h"

BaseTimedExperiment::BaseTimedExperiment(const QString& baseFolder, QObject* parent)
    : BaseExperiment(baseFolder, parent)
{
    connect(this, &BaseExperiment::secondsChanged, this, &BaseTimedExperiment::checkTimeLimit);
}

// No limit at 0.
void BaseTimedExperiment::checkTimeLimit(double seconds)
{
    const int limit = getMaxDuration();
    if (limit > 0 && seconds > limit)
        stop();
}
