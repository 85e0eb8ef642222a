#include "FormulaParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
bool isBrace(char c)
{
    return c == '(' || c == ')';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// What the C format "%g" keeps of a result: six significant digits, read back in the C locale.
double sixDigits(double value)
{
    return QByteArray::number(value, 'g', 6).toDouble();
}
} // namespace

FormulaParser::FormulaParser(const QString& owner, QList<Operator> operators, Exponents exponents)
    : owner(owner)
    , operators(std::move(operators))
    , exponents(exponents)
{
    // Two-character operators are matched before the single characters they begin with.
    std::stable_sort(this->operators.begin(), this->operators.end(),
                     [](const Operator& a, const Operator& b) { return a.symbol.size() > b.symbol.size(); });
}

QByteArray FormulaParser::withoutWhiteSpace(const QString& formula)
{
    QString compact = formula;
    compact.removeIf([](QChar c) { return c.isSpace(); });
    return compact.toUtf8();
}

const FormulaParser::Operator* FormulaParser::operatorAt(const QByteArray& formula, qsizetype at) const
{
    for (const Operator& candidate : operators)
        if (QByteArrayView(formula).sliced(at).startsWith(candidate.symbol))
            return &candidate;
    return nullptr;
}

qsizetype FormulaParser::operandEnd(const QByteArray& formula, qsizetype from) const
{
    qsizetype end = from;
    while (end < formula.size() && !isBrace(formula.at(end))
           && (!operatorAt(formula, end) || isExponentSign(formula, from, end)))
        ++end;
    return end;
}

bool FormulaParser::isExponentSign(const QByteArray& formula, qsizetype operandStart, qsizetype at) const
{
    const char sign = formula.at(at);
    if (exponents != Exponents::Accepted || (sign != '-' && sign != '+') || at + 1 >= formula.size()
        || !isDigit(formula.at(at + 1)))
        return false;
    // The operand so far, after the "!" marks of a negation, must be a number followed by "e".
    QByteArrayView mantissa = QByteArrayView(formula).sliced(operandStart, at - operandStart);
    while (mantissa.startsWith('!'))
        mantissa = mantissa.sliced(1);
    return (mantissa.endsWith('e') || mantissa.endsWith('E')) && isNumber(mantissa.chopped(1).toByteArray());
}

std::optional<QList<FormulaParser::Token>> FormulaParser::tokens(const QByteArray& formula)
{
    const std::optional<QList<Token>> cut = split(formula);
    if (!cut || !postfix(*cut))
        return std::nullopt;
    return cut;
}

std::optional<QList<FormulaParser::Token>> FormulaParser::split(const QByteArray& formula)
{
    QList<Token> tokens;
    bool operandExpected = true;
    for (qsizetype at = 0; at < formula.size();) {
        const char c = formula.at(at);
        const Operator* found = operatorAt(formula, at);
        if (isBrace(c)) {
            tokens.append({c == '(' ? Token::OpenBrace : Token::CloseBrace, QByteArray(1, c)});
            operandExpected = c == '(';
            ++at;
        } else if (found && !(operandExpected && found->symbol == "-")) {
            tokens.append({Token::Operator, found->symbol});
            operandExpected = true;
            at += found->symbol.size();
        } else {
            // An operand, or the sign of the operand that follows.
            const qsizetype end = operandEnd(formula, found ? at + 1 : at);
            if (end == at + 1 && found)
                return fail(end == formula.size() ? QStringLiteral("takeLastSymbols last symbols is empty")
                                                  : QStringLiteral("parce incorrect data"));
            tokens.append({Token::Operand, formula.sliced(at, end - at)});
            operandExpected = false;
            at = end;
        }
    }
    return tokens;
}

std::optional<QList<FormulaParser::Token>> FormulaParser::postfix(const QList<Token>& tokens)
{
    if (tokens.isEmpty())
        return fail(QStringLiteral("parce incorrect data"));
    QList<Token> output;
    QList<Token> pending;
    int openBraces = 0;
    bool operandExpected = true;
    for (const Token& token : tokens) {
        switch (token.kind) {
        case Token::Operand:
        case Token::OpenBrace:
            if (!operandExpected)
                return fail(QStringLiteral("parce incorrect data"));
            if (token.kind == Token::Operand) {
                output.append(token);
                operandExpected = false;
            } else {
                pending.append(token);
                ++openBraces;
            }
            break;
        case Token::CloseBrace:
            if (openBraces == 0)
                return fail(QStringLiteral("processBackBrace front brace not found"));
            if (operandExpected)
                return fail(QStringLiteral("parce incorrect data"));
            while (pending.last().kind != Token::OpenBrace)
                output.append(pending.takeLast());
            pending.removeLast();
            --openBraces;
            break;
        case Token::Operator:
            if (operandExpected)
                return fail(QStringLiteral("parce incorrect data"));
            while (!pending.isEmpty() && pending.last().kind == Token::Operator
                   && priorityOf(pending.last().text) >= priorityOf(token.text))
                output.append(pending.takeLast());
            pending.append(token);
            operandExpected = true;
            break;
        }
    }
    if (operandExpected)
        return fail(QStringLiteral("takeLastSymbols last symbols is empty"));
    if (openBraces > 0)
        return fail(QStringLiteral("processBackBrace back brace not found"));
    while (!pending.isEmpty())
        output.append(pending.takeLast());
    return output;
}

int FormulaParser::priorityOf(const QByteArray& symbol) const
{
    for (const Operator& candidate : operators)
        if (candidate.symbol == symbol)
            return candidate.priority;
    return -1;
}

std::optional<double> FormulaParser::calculate(const QByteArray& formula, const OperandReader& readOperand,
                                               const OperatorRule& applyOperator)
{
    const std::optional<QList<Token>> cut = split(formula);
    if (!cut)
        return std::nullopt;
    const std::optional<QList<Token>> ordered = postfix(*cut);
    if (!ordered)
        return std::nullopt;
    return evaluate(*ordered, readOperand, applyOperator);
}

std::optional<double> FormulaParser::evaluate(const QList<Token>& postfix, const OperandReader& readOperand,
                                              const OperatorRule& applyOperator)
{
    // The shape was checked, so every operator finds its two operands and one value remains.
    QList<double> values;
    for (const Token& token : postfix) {
        std::optional<double> value;
        if (token.kind == Token::Operand) {
            value = readOperand(token.text);
        } else {
            const double right = values.takeLast();
            const double left = values.takeLast();
            value = applyOperator(token.text, left, right);
            if (value && !std::isfinite(*value))
                return fail(QStringLiteral("calc result out of range"));
            if (value)
                value = sixDigits(*value);
        }
        if (!value)
            return std::nullopt;
        values.append(*value);
    }
    return values.last();
}

std::optional<double> FormulaParser::arithmetic(const QByteArray& symbol, double left, double right)
{
    if (symbol == "*")
        return left * right;
    if (symbol == "+")
        return left + right;
    if (symbol == "-")
        return left - right;
    if (right == 0)
        return fail(QStringLiteral("calc division by zero"));
    return left / right;
}

bool FormulaParser::isNumber(const QByteArray& text)
{
    const QByteArray digits = text.startsWith('-') ? text.sliced(1) : text;
    return digits.count('.') <= 1 && digits.size() > digits.count('.')
           && std::all_of(digits.begin(), digits.end(), [](char c) { return c == '.' || isDigit(c); });
}

bool FormulaParser::isNumberWithExponent(const QByteArray& text)
{
    const qsizetype mark = std::max(text.indexOf('e'), text.indexOf('E'));
    if (mark < 0)
        return isNumber(text);
    QByteArrayView exponent = QByteArrayView(text).sliced(mark + 1);
    if (exponent.startsWith('-') || exponent.startsWith('+'))
        exponent = exponent.sliced(1);
    return isNumber(text.first(mark)) && !exponent.isEmpty() && std::all_of(exponent.begin(), exponent.end(), isDigit);
}

std::optional<double> FormulaParser::numberValue(const QByteArray& text)
{
    double value = 0;
    const std::from_chars_result read = std::from_chars(text.begin(), text.end(), value);
    if (text.isEmpty() || read.ec == std::errc::invalid_argument || read.ptr != text.end())
        return fail(QStringLiteral("addValue not a number ") + QString::fromUtf8(text));
    if (read.ec != std::errc() || !std::isfinite(value))
        return fail(QStringLiteral("addValue number out of range"));
    return value;
}

std::nullopt_t FormulaParser::fail(const QString& message)
{
    errorText = owner + QStringLiteral("::") + message;
    return std::nullopt;
}

QString FormulaParser::error() const
{
    return errorText;
}
