#include "NotifyString.h"

NotifyString::NotifyString(const QString& value, QObject* parent)
    : QObject(parent)
    , value(value)
{
}

QString NotifyString::getValue() const
{
    return value;
}

void NotifyString::setValue(const QString& newValue)
{
    value = newValue;
    emit changedValue(value);
}
