#pragma once

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVideoSink>

// Screen capture as a picture source of the camera view: Qt 6.4 has none, so the screen is
// grabbed on a timer and each picture goes to the sink as a video frame, as a camera's would.
// It stops by itself when its screen goes away.
class ScreenGrabber : public QObject
{
    Q_OBJECT

public:
    // About the 24 frames a second the recorder writes for sources other than cameras.
    static constexpr int intervalMs = 42;

    // The screen's number in QGuiApplication::screens(); an unknown number grabs nothing.
    explicit ScreenGrabber(int screenIndex, QObject* parent = nullptr);

    // Whether screens can be grabbed at all: not under Wayland, which hands out no pictures.
    static bool isAvailable();

    // Not owned.
    void setVideoSink(QVideoSink* sink);
    void setActive(bool active);
    bool isActive() const;
    int screenIndex() const;

public slots:
    void grab();

private:
    QTimer timer;
    QPointer<QScreen> screen;
    QPointer<QVideoSink> sink;
    int index;
    bool emptyReported = false;
};
