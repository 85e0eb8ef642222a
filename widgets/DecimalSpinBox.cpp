#include "DecimalSpinBox.h"

#include "TypedNumber.h"

DecimalSpinBox::DecimalSpinBox(QWidget* parent)
    : QDoubleSpinBox(parent)
{
}

QValidator::State DecimalSpinBox::validate(QString& text, int&) const
{
    return TypedNumber::check(text, TypedNumber::fieldOf(*this, decimals()));
}

double DecimalSpinBox::valueFromText(const QString& text) const
{
    return TypedNumber::read(text, TypedNumber::fieldOf(*this, decimals())).value_or(value());
}

void DecimalSpinBox::fixup(QString&) const
{
}
