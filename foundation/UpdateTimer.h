#pragma once

#include <QObject>

class QTimer;

// Coalesces update requests: a burst of start() calls gives one update() signal. Each request
// postpones the update by the timeout, at most maxUpdates - 1 times; after that the pending
// update is left to come. A request is never lost: whatever the limit, a request with no update
// pending starts the timer.
class UpdateTimer : public QObject
{
    Q_OBJECT

public:
    UpdateTimer(uchar intervalMs, uchar maxUpdates, QObject* parent = nullptr);

    // A pending update is kept and comes after the new timeout.
    void setTimeout(uchar ms);
    void setMaxUpdates(uchar maxUpdates);
    uchar getTimeout() const;
    uchar getMaxUpdates() const;
    bool isPending() const;

    void setInfoValue(int value);
    int getInfoValue() const;
    void setInfoObject(QObject* object);
    QObject* getInfoObject() const;

public slots:
    void start();
    // Drops the pending update, even one whose timer has fired already, and resets the count
    // of postponements.
    void cancel();
    void timerTimeout();
    void restartTimer();

signals:
    void update();

private:
    void initialise();
    void timerFired();

    QTimer* timer = nullptr;
    uchar maxUpdates;
    uchar count = 0;
    uchar timeout;
    // An update is to come: set when the timer starts, cleared by the update and by cancel().
    bool due = false;
    int infoValue = 0;
    QObject* infoObject = nullptr;
};
