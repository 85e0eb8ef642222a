#include "TypedNumber.h"

#include <QLocale>

#include <algorithm>

namespace {
bool isDecimalSign(QChar character)
{
    return character == u'.' || character == u',';
}

bool isDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}
} // namespace

std::optional<QString> TypedNumber::normalized(const QString& text, const Field& field)
{
    QStringView number(text);
    if (!field.prefix.isEmpty() && number.startsWith(field.prefix))
        number = number.mid(field.prefix.size());
    if (!field.suffix.isEmpty() && number.endsWith(field.suffix))
        number.chop(field.suffix.size());

    QString plain;
    qsizetype decimalsTyped = -1;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar character = number.at(i);
        const bool sign =
            i == 0 && ((character == u'-' && field.minimum < 0) || (character == u'+' && field.maximum >= 0));
        if (isDecimalSign(character) && decimalsTyped < 0) {
            decimalsTyped = 0;
            plain += u'.';
        } else if (isDigit(character) || sign) {
            decimalsTyped += decimalsTyped >= 0 ? 1 : 0;
            plain += character;
        } else {
            return std::nullopt;
        }
    }
    if (field.decimals > 0 && decimalsTyped > field.decimals)
        return std::nullopt;
    return plain;
}

// A whole number with a decimal sign is kept from being taken, not refused key by key: "1.5"
// with the sign refused would still become 15.
bool TypedNumber::fits(const QString& number, const Field& field)
{
    return field.decimals > 0 || !number.contains(u'.');
}

QValidator::State TypedNumber::check(const QString& text, const Field& field)
{
    const std::optional<QString> number = normalized(text, field);
    if (!number)
        return QValidator::Invalid;
    if (!fits(*number, field))
        return QValidator::Intermediate;
    const std::optional<double> value = valueOf(*number);
    return value ? checkRange(*value, field) : QValidator::Intermediate;
}

// More digits only move a number away from zero, so one past the end of the range on its own
// side of zero can never come back into it.
QValidator::State TypedNumber::checkRange(double value, const Field& field)
{
    if (value >= field.minimum && value <= field.maximum)
        return QValidator::Acceptable;
    const bool beyondMaximum = value > field.maximum && value > 0;
    const bool beyondMinimum = value < field.minimum && value < 0;
    return beyondMaximum || beyondMinimum ? QValidator::Invalid : QValidator::Intermediate;
}

std::optional<double> TypedNumber::read(const QString& text, const Field& field)
{
    const std::optional<QString> number = normalized(text, field);
    return number && fits(*number, field) ? valueOf(*number) : std::nullopt;
}

std::optional<double> TypedNumber::valueOf(const QString& number)
{
    if (!std::any_of(number.cbegin(), number.cend(), isDigit))
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}
