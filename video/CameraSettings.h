#pragma once

#include "ZTSettings.h"

// How a camera's picture is turned and flipped.
class CameraSettings : public ZTSettings
{
    Q_OBJECT

public:
    enum CameraRotation {
        Rotate0 = 0,
        Rotate90 = 1,
        Rotate180 = 2,
        Rotate270 = 3,
    };
    Q_ENUM(CameraRotation)
    enum CameraFlip {
        FlipNone = 0,
        FlipX = 1,
        FlipY = 2,
        FlipXY = 3,
    };
    Q_ENUM(CameraFlip)

    ZT_PROPERTY(CameraRotation, Rotation, CameraSettings::CameraRotation::Rotate0)
    ZT_PROPERTY(CameraFlip, Flip, CameraSettings::CameraFlip::FlipNone)

public:
    explicit CameraSettings(const QString& filepath = QString(), bool autoSave = false, QObject* parent = nullptr,
                            ZTSettingsFormat format = XML);
};
