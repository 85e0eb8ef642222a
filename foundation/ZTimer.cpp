#include "ZTimer.h"

#include <QDebug>

ZTimer::ZTimer(QObject* parent)
    : QTimer(parent)
{
}

ZTimer::~ZTimer()
{
    qDebug() << "Destroy ztimer";
}

void ZTimer::start(int msec)
{
    QTimer::start(msec);
}

void ZTimer::start()
{
    QTimer::start();
}

void ZTimer::stop()
{
    if (!objectName().isEmpty())
        qDebug().noquote() << objectName() << "stopped";
    QTimer::stop();
}
