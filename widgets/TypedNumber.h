#pragma once

#include <QString>
#include <QValidator>

#include <optional>

// A number as people type it into a field of ours. "." and "," are both the decimal sign in
// every language: lab keypads and habits mix them, and Qt's own reading takes the other
// language's sign for a digit group separator and drops it, so that 0.5 mA becomes 5 mA. No
// digit group separator is read at all. A field without decimals takes no number with a
// decimal sign.
class TypedNumber
{
public:
    // What a field shows around the number, and what it takes.
    struct Field
    {
        QString prefix;
        QString suffix;
        int decimals = 0;
        double minimum = 0;
        double maximum = 0;
    };

    // Acceptable for a number in range. Intermediate for a text not to be taken that more
    // editing may still make one (an empty field, a lone sign, a number out of range, a whole
    // number with a decimal sign): the field keeps its value unless it becomes one. Invalid for
    // anything else, so the key is refused.
    static QValidator::State check(const QString& text, const Field& field);
    // The number the text holds, whether in range or not; nothing when it holds none.
    static std::optional<double> read(const QString& text, const Field& field);

private:
    // The text without prefix and suffix, with "." as the decimal sign; nothing when it is no
    // number of the field's form, finished or not.
    static std::optional<QString> normalized(const QString& text, const Field& field);
    static bool fits(const QString& number, const Field& field);
    static std::optional<double> valueOf(const QString& number);
    static QValidator::State checkRange(double value, const Field& field);
};
