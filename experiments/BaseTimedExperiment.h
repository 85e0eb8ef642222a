#pragma once

#include "BaseExperiment.h"

// An experiment that stops itself at the first tick after its maximum duration.
class BaseTimedExperiment : public BaseExperiment
{
    Q_OBJECT
    ZT_BOUNDED_PROPERTY(int, MaxDuration, 300, 0, 3600, 1)
    Q_CLASSINFO("MaxDurationSuffix", " s")
    Q_CLASSINFO("MaxDurationCategory", "MainSettings")

public:
    BaseTimedExperiment(const QString& baseFolder, QObject* parent = nullptr);

private:
    void checkTimeLimit(double seconds);
};
