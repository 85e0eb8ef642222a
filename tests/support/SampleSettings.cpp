#include "SampleSettings.h"

SampleSettings::SampleSettings(const QString& filepath, bool autoSave, QObject* parent, ZTSettingsFormat format)
    : ZTSettings(filepath, autoSave, parent, format)
{
}
