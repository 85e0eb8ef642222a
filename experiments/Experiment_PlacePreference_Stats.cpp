#include "Experiment_PlacePreference_Stats.h"

#include "TrackFrame.h"

Experiment_PlacePreference_Stats::Experiment_PlacePreference_Stats(const QString& statsFilePath, bool autoSave,
                                                                   QObject* parent, Clock* clock)
    : Experiment_Stats(statsFilePath, autoSave, parent)
    , m_clock(clock)
{
    start();
}

void Experiment_PlacePreference_Stats::start()
{
    m_runStartMs = m_leftSinceMs = m_rightSinceMs = m_lastFrameMs = m_clock->monotonicMs();
    m_lastSeen = Side::None;
}

bool Experiment_PlacePreference_Stats::isOnRightSide(int centerX, int frameWidth)
{
    return centerX > frameWidth / 2 + frameWidth / 24;
}

void Experiment_PlacePreference_Stats::onLeftFrame()
{
    onSideFrame(true);
}

void Experiment_PlacePreference_Stats::onRightFrame()
{
    onSideFrame(false);
}

void Experiment_PlacePreference_Stats::onUnseenFrame()
{
    m_lastSeen = Side::None;
}

// The entry is the stay on this side so far: the time since the animal was last seen on the
// other. The lists are appended in place rather than through their setters, which would copy a
// list that grows by a frame at a time over many thousand frames.
void Experiment_PlacePreference_Stats::onSideFrame(bool left)
{
    const qint64 now = m_clock->monotonicMs();
    const qint64 stay = now - (left ? m_leftSinceMs : m_rightSinceMs);
    (left ? m_rightSinceMs : m_leftSinceMs) = now;
    const Side side = left ? Side::Left : Side::Right;
    const qint64 credited = m_lastSeen == side ? now - m_lastFrameMs : 0;
    m_lastFrameMs = now;
    m_lastSeen = side;
    const QString entry = QString::number(stay) + QStringLiteral(";\r\n");
    if (left) {
        setLeftSideTimeMs(getLeftSideTimeMs() + credited);
        m_LeftSideTimes += entry;
        emit changedLeftSideTimes(m_LeftSideTimes);
    } else {
        setRightSideTimeMs(getRightSideTimeMs() + credited);
        m_RightSideTimes += entry;
        emit changedRightSideTimes(m_RightSideTimes);
    }
    changedProperty(left ? QStringLiteral("LeftSideTimes") : QStringLiteral("RightSideTimes"));
}

bool Experiment_PlacePreference_Stats::knowsBeforeStop(const QString& name) const
{
    const bool sideTime = name == QLatin1String("LeftSideTimeMs") || name == QLatin1String("RightSideTimeMs");
    return !sideTime || getDurationMs() > 0;
}

// Credited as the run credits its frames: the time between two frames that follow each other,
// both with the animal on the same side.
QVariantMap Experiment_PlacePreference_Stats::figuresFromTrack()
{
    const int width = getRecognitionFrameWidth();
    qlonglong left = 0;
    qlonglong right = 0;
    Side lastSeen = Side::None;
    qint64 lastTimeMs = 0;
    forEachIntactTrackRecord([&](quint32, const TrackFrame& frame, bool follows) {
        const Side side = !frame.detected ? Side::None : isOnRightSide(frame.centerX, width) ? Side::Right : Side::Left;
        if (follows && side != Side::None && side == lastSeen)
            (side == Side::Left ? left : right) += frame.timeMs - lastTimeMs;
        lastSeen = side;
        if (frame.detected)
            lastTimeMs = frame.timeMs;
    });
    return {{QStringLiteral("LeftSideTimeMs"), left}, {QStringLiteral("RightSideTimeMs"), right}};
}

// The track file is closed, never removed: Track.tdata is the run's frame-by-frame result.
void Experiment_PlacePreference_Stats::finish()
{
    closeTrackFile();
    setDurationMs(int(m_clock->monotonicMs() - m_runStartMs));
}
