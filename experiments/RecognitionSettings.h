#pragma once

#include "ZTSettings.h"

// Settings of the recognition; created and loaded with the others. The detector's threshold
// comes from the application settings' DetectorSensitivity, not from here.
class RecognitionSettings : public ZTSettings
{
    Q_OBJECT
    ZT_BOUNDED_PROPERTY(int, Threshold, 20, 1, 200, 1)

public:
    explicit RecognitionSettings(const QString& filePath, QObject* parent = nullptr);
};
