#include "AbstractSettings.h"

AbstractSettings::AbstractSettings(QObject* parent)
    : QObject(parent)
{
}

QVariant AbstractSettings::getValue(const QString& name, const QVariant& defaultValue)
{
    Q_UNUSED(name);
    return defaultValue;
}
