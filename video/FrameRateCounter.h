#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>

class Clock;

// Measures the rate of a stream of events (camera frames) from the time stamps of the most
// recent ones: the last `accumulator` intervals, or the events of the last `maxWatchTime` ms.
// The stamps are monotonic, so a wall clock set back or forth does not upset the rate.
class FrameRateCounter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double frameRate READ getFrameRate WRITE setFrameRate NOTIFY frameRateChanged)

public:
    explicit FrameRateCounter(QObject* parent = nullptr);

    void nextFrame();
    void clear();
    void restart();

    void setAccumulator(int n);
    void setMaxWatchTime(qint64 ms);
    void setFrameRate(double value);
    double getFrameRate() const;
    int getFrameCount() const;
    // Not owned; Clock::system() until a test hands in its own.
    void setClock(Clock* clock);

signals:
    void frameRateChanged(double value);

private:
    double frameRate = 0;
    int frameCount = 0;
    QDateTime startTime;
    QList<qint64> frameTimes;
    int accumulator = 10;
    qint64 maxWatchTime = 0;
    Clock* clock;

    void dropOldEvents(qint64 now);
};
