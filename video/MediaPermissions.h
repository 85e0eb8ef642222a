#pragma once

#include <QString>

// Whether the program may use the camera and the microphone. Linux has no permission system for
// them (access is decided by the device files), so both always count as granted here; the camera
// view asks this layer, never the platform, so that a platform with permissions changes only
// this class.
class MediaPermissions
{
public:
    enum class Kind { Camera, Microphone };
    enum class Status { Undetermined, Granted, Denied };

    static Status check(Kind kind);
    // "Granted", "Denied" or "Undetermined".
    static QString statusName(Status status);
};
