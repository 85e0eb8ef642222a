#include "RecognitionSettings.h"

RecognitionSettings::RecognitionSettings(const QString& filePath, QObject* parent)
    : ZTSettings(filePath, true, parent, XML)
{
}
