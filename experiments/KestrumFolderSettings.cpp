#include "KestrumFolderSettings.h"

KestrumFolderSettings::KestrumFolderSettings(const QString& filePath, QObject* parent)
    : ZTSettings(filePath, true, parent, XML)
{
}
