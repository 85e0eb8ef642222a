#include "ScenarioStep.h"

ScenarioStep::ScenarioStep() = default;

ScenarioStep::ScenarioStep(int durationMs, int delayBeforeMs, double value)
    : durationMs(durationMs)
    , delayBeforeMs(delayBeforeMs)
    , value(value)
{
}
