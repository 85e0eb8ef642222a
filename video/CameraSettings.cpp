#include "CameraSettings.h"

CameraSettings::CameraSettings(const QString& filepath, bool autoSave, QObject* parent, ZTSettingsFormat format)
    : ZTSettings(filepath, autoSave, parent, format)
{
}
