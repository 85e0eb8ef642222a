#include "WholeNumberSpinBox.h"

#include "TypedNumber.h"

#include <algorithm>
#include <cmath>

WholeNumberSpinBox::WholeNumberSpinBox(QWidget* parent)
    : QSpinBox(parent)
{
}

QValidator::State WholeNumberSpinBox::validate(QString& text, int&) const
{
    return TypedNumber::check(text, TypedNumber::fieldOf(*this, 0));
}

int WholeNumberSpinBox::valueFromText(const QString& text) const
{
    const std::optional<double> typed = TypedNumber::read(text, TypedNumber::fieldOf(*this, 0));
    return typed ? int(std::clamp(*typed, double(minimum()), double(maximum()))) : value();
}

void WholeNumberSpinBox::fixup(QString&) const
{
}
