#include "EventTriggerHelper.h"

#include <algorithm>

EventTriggerHelper::EventTriggerHelper(double threshold, int accumulatorSize, double valueMin, double valueMax,
                                       QObject* parent)
    : QObject(parent)
    , accumulatorSize(std::max(1, accumulatorSize))
    , threshold(threshold)
    , valueMin(valueMin)
    , valueMax(valueMax)
{
}

QList<double> EventTriggerHelper::values() const
{
    return window;
}

bool EventTriggerHelper::addValue(double value)
{
    while (window.size() >= accumulatorSize)
        window.removeFirst();
    window.append(std::min(valueMax, std::max(valueMin, value)));
    if (window.size() != accumulatorSize)
        return isTriggered;
    const int result = triggerResult();
    if ((result == 1 && !isTriggered) || (result == -1 && isTriggered))
        setIsTriggered(result == 1);
    return isTriggered;
}

int EventTriggerHelper::triggerResult() const
{
    const auto reaches = [this](double value) { return value >= threshold; };
    if (std::all_of(window.cbegin(), window.cend(), reaches))
        return 1;
    if (std::none_of(window.cbegin(), window.cend(), reaches))
        return -1;
    return 0;
}

void EventTriggerHelper::clear()
{
    window.clear();
    setIsTriggered(false);
}

void EventTriggerHelper::setThreshold(double threshold)
{
    this->threshold = threshold;
}

void EventTriggerHelper::setValueMin(double valueMin)
{
    this->valueMin = valueMin;
}

void EventTriggerHelper::setValueMax(double valueMax)
{
    this->valueMax = valueMax;
}

void EventTriggerHelper::setAccumulatorSize(int size)
{
    accumulatorSize = std::max(1, size);
}

void EventTriggerHelper::setIsTriggered(bool activated)
{
    isTriggered = activated;
    emit triggerChanged(activated);
    if (activated)
        emit triggered();
    else
        emit untriggered();
}
