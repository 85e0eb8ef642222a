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

// A number out of range stays in the field as typed rather than having its last key refused:
// "20" in a field up to 15 would otherwise be taken as 2. Its entry then gives the value
// before the edit back.
QValidator::State TypedNumber::checkRange(double value, const Field& field)
{
    return value >= field.minimum && value <= field.maximum ? QValidator::Acceptable : QValidator::Intermediate;
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
