#include "ScreenGrabber.h"

#include "GlobalConsole.h"
#include "VideoFrameFromImage.h"

#include <QGuiApplication>
#include <QPixmap>

#include <utility>

ScreenGrabber::ScreenGrabber(int screenIndex, QObject* parent)
    : QObject(parent)
    , screen(QGuiApplication::screens().value(screenIndex))
    , index(screenIndex)
{
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, &ScreenGrabber::grab);
}

bool ScreenGrabber::isAvailable()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void ScreenGrabber::setVideoSink(QVideoSink* newSink)
{
    sink = newSink;
}

void ScreenGrabber::setActive(bool active)
{
    if (active && screen)
        timer.start();
    else
        timer.stop();
}

bool ScreenGrabber::isActive() const
{
    return timer.isActive();
}

int ScreenGrabber::screenIndex() const
{
    return index;
}

void ScreenGrabber::grab()
{
    if (!screen) {
        timer.stop();
        return;
    }
    const QImage picture = screen->grabWindow(0).toImage();
    if (picture.isNull()) {
        // The screen may give pictures again later (a locked session); said once.
        if (!std::exchange(emptyReported, true))
            GlobalConsole::writeItem(QStringLiteral("Screen %1 gives no picture to capture.").arg(index + 1),
                                     QStringLiteral("Error"));
        return;
    }
    if (sink)
        sink->setVideoFrame(videoFrameFromImage(picture));
}
