#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>

#include <functional>

// Measures the rate of a stream of events (camera frames) from the time stamps of the most
// recent ones: the last `accumulator` intervals, or the events of the last `maxWatchTime` ms.
class FrameRateCounter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double frameRate READ getFrameRate WRITE setFrameRate NOTIFY frameRateChanged)

public:
    // Milliseconds since the epoch; replaceable so that tests control time.
    using Clock = std::function<qint64()>;

    explicit FrameRateCounter(QObject* parent = nullptr);

    void nextFrame();
    void clear();
    void restart();

    void setAccumulator(int n);
    void setMaxWatchTime(qint64 ms);
    void setFrameRate(double value);
    double getFrameRate() const;
    int getFrameCount() const;
    void setClock(Clock clock);

signals:
    void frameRateChanged(double value);

private:
    double frameRate = 0;
    int frameCount = 0;
    QDateTime startTime;
    QList<qint64> frameTimes;
    int accumulator = 10;
    qint64 maxWatchTime = 0;
    Clock clock;

    void dropOldEvents(qint64 now);
};
