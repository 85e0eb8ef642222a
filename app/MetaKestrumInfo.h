#pragma once

#include "ZTSettings.h"

// What the experimenter keeps about one apparatus: a name to know it by and the camera last
// chosen for it; one file per apparatus, named after its serial number.
class MetaKestrumInfo : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(QString, Title, QString())
    Q_CLASSINFO("TitleNoDefault", "true")
    Q_CLASSINFO("TitleSpecialType", "Stretch")
    Q_CLASSINFO("TitleMinWidth", "240")
    Q_CLASSINFO("TitlePlaceholder", "Convenient device name")
    ZT_PROPERTY(QString, CameraPath, QString())
    Q_CLASSINFO("CameraPathNotVisible", "true")

public:
    // Loads the file at once.
    explicit MetaKestrumInfo(const QString& filePath, QObject* parent = nullptr);
};
