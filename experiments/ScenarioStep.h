#pragma once

#include "KestrumBaseDevice.h"

#include <QObject>

// One timed stimulus of a scenario: after a delay, a stimulus of its kind on its side with
// its value (brightness, grid current or tone) for a duration.
class ScenarioStep : public QObject
{
    Q_OBJECT

public:
    ScenarioStep();
    ScenarioStep(int durationMs, int delayBeforeMs, double value);

    int durationMs = 0;
    int delayBeforeMs = 0;
    double value = 0.0;
    KestrumBaseDevice::KestrumSide side = KestrumBaseDevice::Both;
    KestrumBaseDevice::KestrumAction type = KestrumBaseDevice::Light;
    // Set by a running experiment on the steps it has carried out; never stored.
    bool done = false;
};
