#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The common ground of the formula evaluators: a formula's text cut into operands, operators and
// braces, checked for its shape, put into postfix order and calculated.
//
// Operators of equal priority apply from left to right; a higher priority binds tighter; braces
// group. A "-" where an operand should begin (at the start, after "(" or after an operator) is
// the operand's sign. Numbers are read in the C locale, whatever the user's locale: digits with
// at most one ".", optionally after one "-". Every result of an operation keeps six significant
// digits, as the C format "%g" gives them. A failure leaves its message in error(), each
// message starting with the owner's name ("Evaluate::calc division by zero").
class FormulaParser
{
public:
    struct Token
    {
        enum Kind { Operand, Operator, OpenBrace, CloseBrace };
        Kind kind = Operand;
        QByteArray text;
    };

    struct Operator
    {
        QByteArray symbol;
        int priority = 0;
    };

    // The value of an operand, or nothing after a fail().
    using OperandReader = std::function<std::optional<double>(const QByteArray& operand)>;
    // The result of an operator, or nothing after a fail().
    using OperatorRule = std::function<std::optional<double>(const QByteArray& symbol, double left, double right)>;

    // Whether an operand may be a number written with an exponent ("1e-5"); the exponent's sign
    // then belongs to the operand instead of being an operator.
    enum class Exponents { Refused, Accepted };

    FormulaParser(const QString& owner, QList<Operator> operators, Exponents exponents = Exponents::Refused);

    // The formula's UTF-8 bytes with all white space removed, as the evaluators read it.
    static QByteArray withoutWhiteSpace(const QString& formula);
    // The tokens of a formula whose white space is already removed, or nothing when its shape is
    // wrong (an operator without an operand, a brace without its partner, an empty formula).
    std::optional<QList<Token>> tokens(const QByteArray& formula);
    std::optional<double> calculate(const QByteArray& formula, const OperandReader& readOperand,
                                    const OperatorRule& applyOperator);

    // The four arithmetic operators; division by an exact zero fails.
    std::optional<double> arithmetic(const QByteArray& symbol, double left, double right);
    static bool isNumber(const QByteArray& text);
    // isNumber, optionally followed by "e" or "E", an optional sign and at least one digit.
    static bool isNumberWithExponent(const QByteArray& text);
    // The value of a C-locale number (isNumber, or with an exponent as in "1e-07"); fails for any
    // other text and for numbers beyond the range of a double.
    std::optional<double> numberValue(const QByteArray& text);

    // Keeps "<owner>::<message>" as the error and gives nothing.
    std::nullopt_t fail(const QString& message);
    QString error() const;

private:
    std::optional<QList<Token>> split(const QByteArray& formula);
    const Operator* operatorAt(const QByteArray& formula, qsizetype at) const;
    qsizetype operandEnd(const QByteArray& formula, qsizetype from) const;
    bool isExponentSign(const QByteArray& formula, qsizetype operandStart, qsizetype at) const;
    std::optional<QList<Token>> postfix(const QList<Token>& tokens);
    std::optional<double> evaluate(const QList<Token>& postfix, const OperandReader& readOperand,
                                   const OperatorRule& applyOperator);
    int priorityOf(const QByteArray& symbol) const;

    QString owner;
    QList<Operator> operators;
    Exponents exponents;
    QString errorText;
};
