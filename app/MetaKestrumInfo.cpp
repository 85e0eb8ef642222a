#include "MetaKestrumInfo.h"

MetaKestrumInfo::MetaKestrumInfo(const QString& filePath, QObject* parent)
    : ZTSettings(filePath, true, parent, XML)
{
    reload();
}
