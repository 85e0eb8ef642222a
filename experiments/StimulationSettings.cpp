#include "StimulationSettings.h"

StimulationSettings::StimulationSettings(const QString& filePath, QObject* parent)
    : ZTSettings(filePath, true, parent, XML)
{
    qRegisterMetaType<KestrumBaseDevice::KestrumSide>("KestrumSide");
}
