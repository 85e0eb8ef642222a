#pragma once

#include "TypedNumber.h"

#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include <type_traits>

// The spin box of every number field of ours: it reads a typed number as TypedNumber does and
// shows it in the interface's language. DecimalSpinBox for decimals, WholeNumberSpinBox for
// whole numbers, which so take no number with a decimal sign ("1.5" would become 15).
//
// A typed number is taken when its entry is finished, on Enter or when the field loses the
// focus: on its way from "1,5" to "1.5" a field reads "15" for a moment, which must never reach
// a device. A text that is no number of the field then gives the value before the edit back.
// The arrow keys and the wheel step at once.
template <typename SpinBox>
class TypedNumberSpinBox : public SpinBox
{
public:
    using Value = std::remove_cv_t<decltype(std::declval<const SpinBox&>().value())>;

    explicit TypedNumberSpinBox(QWidget* parent = nullptr)
        : SpinBox(parent)
    {
        this->setKeyboardTracking(false);
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

    // A step adds the single step in binary floating point, so 0.5 stepped up three times would
    // be 0.7999999999999999 while the field shows 0.8. The value taken is the one shown.
    void stepBy(int steps) override
    {
        if constexpr (std::is_same_v<Value, double>) {
            const double before = this->value();
            {
                const QSignalBlocker blocker(this);
                SpinBox::stepBy(steps);
                this->setValue(this->value()); // rounds to the decimals shown
            }
            if (this->value() != before) {
                emit this->valueChanged(this->value());
                emit this->textChanged(this->text());
            }
        } else {
            SpinBox::stepBy(steps);
        }
    }

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
