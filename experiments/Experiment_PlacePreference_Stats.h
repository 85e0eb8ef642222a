#pragma once

#include "Clock.h"
#include "Experiment_Stats.h"

// The result record of a place-preference run: the time the animal spent on each side, and one
// entry a frame with the length of the animal's stay on that side so far ("<ms>;\r\n" each).
//
// The time between two running frames counts for a side only when the animal was seen on that
// side in both: a change of side, and any time it was not seen, count for neither, so that a
// time out of sight is never credited to the side where the animal turns up again.
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

    // Whether the animal's centre lies on the right side of a frame of the width; the band just
    // right of the middle (a twenty-fourth of the width) still counts as left.
    static bool isOnRightSide(int centerX, int frameWidth);

    void onLeftFrame();
    void onRightFrame();
    // A running frame without the animal.
    void onUnseenFrame();

public slots:
    void start() override;
    void finish() override;

protected:
    // The side times reach the file only with a save: one made while the run went on holds
    // them up to then, the start's save none.
    bool knowsBeforeStop(const QString& name) const override;
    // The record is kept in memory while the run goes on, so the side times of an interrupted
    // run end at its last save; its track holds every frame up to its end, and the side of each.
    QVariantMap figuresFromTrack() override;

private:
    enum class Side { None, Left, Right };

    void onSideFrame(bool left);

    Clock* m_clock;
    qint64 m_runStartMs;
    qint64 m_leftSinceMs;
    qint64 m_rightSinceMs;
    qint64 m_lastFrameMs;
    Side m_lastSeen = Side::None;
};
