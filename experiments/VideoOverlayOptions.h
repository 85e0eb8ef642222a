#pragma once

#include <QObject>

// What the video view draws over the camera picture. The application settings keep the choice;
// the video widget of the user interface adopts this enumeration as its own.
class VideoOverlayOptions
{
    Q_GADGET

public:
    enum OverlayOptions { NoOverlay = 0, Track = 1, Blob = 2, Shadow = 3 };
    Q_ENUM(OverlayOptions)
};
