#include "CustomMetaDescription.h"

CustomMetaDescription::CustomMetaDescription(QObject* parent)
    : AbstractMetaDescription(parent)
{
}

QMetaEnum CustomMetaDescription::enumerator()
{
    return QMetaEnum();
}

bool CustomMetaDescription::isEnumType()
{
    return !enums.isEmpty();
}

QMetaType CustomMetaDescription::valueMetaType() const
{
    return value.metaType();
}

bool CustomMetaDescription::setValue(const QVariant& newValue)
{
    value = newValue;
    return true;
}

QVariant CustomMetaDescription::getValue()
{
    return value;
}

void CustomMetaDescription::setDefault()
{
    if (hasDefault)
        setValue(QVariant(defaultText));
}

void CustomMetaDescription::valueChangedSlot()
{
}

bool CustomMetaDescription::setTextValue(QString text)
{
    return setValue(QVariant(text));
}
