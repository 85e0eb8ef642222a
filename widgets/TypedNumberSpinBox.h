#pragma once

#include "TypedNumber.h"

#include <QDoubleSpinBox>
#include <QSpinBox>

#include <type_traits>

// The spin box of every number field of ours: it reads a typed number as TypedNumber does and
// shows it in the interface's language. DecimalSpinBox for decimals, WholeNumberSpinBox for
// whole numbers, which so take no number with a decimal sign ("1.5" would become 15).
template <typename SpinBox>
class TypedNumberSpinBox : public SpinBox
{
public:
    using Value = std::remove_cv_t<decltype(std::declval<const SpinBox&>().value())>;

    explicit TypedNumberSpinBox(QWidget* parent = nullptr)
        : SpinBox(parent)
    {
    }

    QValidator::State validate(QString& text, int&) const override { return TypedNumber::check(text, field()); }

    Value valueFromText(const QString& text) const override
    {
        const std::optional<double> typed = TypedNumber::read(text, field());
        return typed ? Value(*typed) : this->value();
    }

    // Leaves the text as typed: Qt's repair drops digit group separators, which reads "20,5"
    // as 205.
    void fixup(QString&) const override {}

private:
    TypedNumber::Field field() const
    {
        int decimals = 0;
        if constexpr (std::is_same_v<Value, double>)
            decimals = this->decimals();
        return {this->prefix(), this->suffix(), decimals, double(this->minimum()), double(this->maximum())};
    }
};

using DecimalSpinBox = TypedNumberSpinBox<QDoubleSpinBox>;
using WholeNumberSpinBox = TypedNumberSpinBox<QSpinBox>;
