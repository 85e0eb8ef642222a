#pragma once

#include <QTimeEdit>

// A time editor for durations: its display shows hours and minutes only when the maximum
// needs them, and a step moves the shown section by its own unit (a tenth of a second in the
// milliseconds) without wrapping below zero or passing the maximum.
class TimeEdit : public QTimeEdit
{
    Q_OBJECT
public:
    explicit TimeEdit(QWidget* parent = nullptr);

    void setMaxMsAndAutoFormat(int maxMs, bool withMs);
    void setMaxTimeAndAutoFormat(const QTime& maxTime, bool withMs);

    void stepBy(int steps) override;

private:
    qint64 sectionStepMs(int steps) const;
};
