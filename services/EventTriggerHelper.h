#pragma once

#include <QList>
#include <QObject>

// An on/off state with hysteresis over a stream of measurements: the last few values, clamped
// to a range, switch it on when all of them reach the threshold and off when all of them fall
// below it; a mixed window keeps the state.
class EventTriggerHelper : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE explicit EventTriggerHelper(double threshold = 50, int accumulatorSize = 3, double valueMin = 0,
                                            double valueMax = 100, QObject* parent = nullptr);

    // The window, oldest first.
    QList<double> values() const;

public slots:
    // Returns whether the trigger is on after the value.
    bool addValue(double value);
    // Empties the window and switches off, announcing it also when already off.
    void clear();
    void setThreshold(double threshold);
    void setValueMin(double valueMin);
    void setValueMax(double valueMax);
    // At least 1; a longer window is shortened by the next value.
    void setAccumulatorSize(int size);
    // Forces the state, announcing it also when unchanged.
    void setIsTriggered(bool activated);

signals:
    void triggered();
    void untriggered();
    void triggerChanged(bool triggered);

protected:
    // 1 when every value of the window reaches the threshold, -1 when every one is below it,
    // 0 otherwise.
    int triggerResult() const;

private:
    QList<double> window;
    int accumulatorSize = 3;
    double threshold = 50;
    double valueMin = 0;
    double valueMax = 100;
    bool isTriggered = false;
};
