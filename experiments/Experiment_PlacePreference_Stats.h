#pragma once

#include "Clock.h"
#include "Experiment_Stats.h"

// The result record of a place-preference run: the time the animal spent on each side, and one
// entry a frame with the length of the animal's stay on that side so far ("<ms>;\r\n" each).
//
// A frame is credited to its side with the time since the frame before it, so the two totals
// together cover the run from its start to the last frame with the animal.
class Experiment_PlacePreference_Stats : public Experiment_Stats
{
    Q_OBJECT
    ZT_PROPERTY(qlonglong, LeftSideTimeMs, 0)
    ZT_PROPERTY(qlonglong, RightSideTimeMs, 0)
    ZT_PROPERTY(QString, LeftSideTimes, "")
    ZT_PROPERTY(QString, RightSideTimes, "")

public:
    Experiment_PlacePreference_Stats(const QString& statsFilePath, bool autoSave, QObject* parent = nullptr,
                                     Clock* clock = Clock::system());

    void onLeftFrame();
    void onRightFrame();

public slots:
    void start() override;
    void finish() override;

private:
    void onSideFrame(bool left);

    Clock* m_clock;
    qint64 m_runStartMs;
    qint64 m_leftSinceMs;
    qint64 m_rightSinceMs;
    qint64 m_lastFrameMs;
};
