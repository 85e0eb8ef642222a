#pragma once

#include <QTimer>

// A QTimer that reports its stopping (when named) and its destruction on the debug output.
class ZTimer : public QTimer
{
    Q_OBJECT

public:
    explicit ZTimer(QObject* parent = nullptr);
    ~ZTimer() override;

public slots:
    void start(int msec);
    void start();
    void stop();
};
