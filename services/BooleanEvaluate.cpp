#include "BooleanEvaluate.h"

#include "FormulaParser.h"

#include <QDebug>
#include <QList>

#include <utility>

bool BooleanEvaluate::makeCalculate(const QString& condition, bool& ok)
{
    FormulaParser parser(QStringLiteral("BooleanEvaluate"),
                         {{"*", 5},
                          {"/", 5},
                          {"+", 4},
                          {"-", 4},
                          {"<", 3},
                          {">", 3},
                          {"<=", 3},
                          {">=", 3},
                          {"==", 2},
                          {"!=", 2},
                          {"&&", 1},
                          {"||", 0}},
                         FormulaParser::Exponents::Accepted);
    const std::optional<double> value = parser.calculate(
        FormulaParser::withoutWhiteSpace(condition),
        [&](const QByteArray& operand) { return operandValue(parser, operand); },
        [&](const QByteArray& symbol, double left, double right) { return apply(parser, symbol, left, right); });
    ok = value.has_value();
    if (!ok)
        errorText = parser.error();
    return value.value_or(0) != 0;
}

std::optional<double> BooleanEvaluate::operandValue(FormulaParser& parser, const QByteArray& operand)
{
    // Each "!" negates what follows it, so "!!true" is true again.
    qsizetype negations = 0;
    while (negations < operand.size() && operand.at(negations) == '!')
        ++negations;
    const QByteArray word = operand.sliced(negations);
    std::optional<double> value;
    if (word == "true" || word == "false")
        value = word == "true" ? 1 : 0;
    else if (FormulaParser::isNumberWithExponent(word))
        value = parser.numberValue(word);
    else
        return parser.fail(QStringLiteral("addValue unknown word ") + QString::fromUtf8(operand));
    for (; value && negations > 0; --negations)
        value = *value > 0 ? 0 : 1;
    return value;
}

std::optional<double> BooleanEvaluate::apply(FormulaParser& parser, const QByteArray& symbol, double left, double right)
{
    if (symbol == "<")
        return left < right;
    if (symbol == ">")
        return left > right;
    if (symbol == "<=")
        return left <= right;
    if (symbol == ">=")
        return left >= right;
    if (symbol == "==")
        return left == right;
    if (symbol == "!=")
        return left != right;
    if (symbol == "&&")
        return left != 0 && right != 0;
    if (symbol == "||")
        return left != 0 || right != 0;
    return parser.arithmetic(symbol, left, right);
}

QString BooleanEvaluate::getErrorString() const
{
    return errorText;
}

bool testBooleanEvaluate()
{
    const QList<std::pair<QString, bool>> table = {
        {"((false)||(5>2))&&(((7+3)==10)!=0)", true},
        {"((true)&&(false))", false},
        {"(2 <= 2)!=1", false},
        {"(2 > 2)!=true", true},
        {"(4==4)!=false", true},
        {"(4>2)&&(3<5)", true},
        {"(5*2)!=2", true},
        {"(5+5)>7.9", true},
        {"(5>2)&&false", false},
        {"(7>1)&&true", true},
        {"(7>=6) != false", true},
        {"(true)", true},
        {"(true)||(false)", true},
        {"!false", true},
        {"!true", false},
        {"0", false},
        {"1", true},
        {"1&&1", true},
        {"1&&true", true},
        {"1||true", true},
        {"2<5", true},
        {"2==3.22", false},
        {"2>1", true},
        {"3>=3", true},
        {"4<2", false},
        {"4<=2", false},
        {"5>10", false},
        {"5>=10", false},
        {"false", false},
        {"false != (5 < 2)", false},
        {"false&&true", false},
        {"false||false", false},
        {"false||true&&false", false},
        {"false||true||false", true},
        {"true", true},
        {"true != false", true},
        {"true&&(true||false)", true},
        {"true||(8==8)", true},
        {"true||0", true},
    };
    BooleanEvaluate evaluator;
    bool allMatch = true;
    for (const auto& [condition, expected] : table) {
        bool ok = false;
        const bool value = evaluator.makeCalculate(condition, ok) && ok;
        qDebug().noquote() << (value == expected && ok ? "CORRECT" : "BAD") << condition << "=" << value << "->"
                           << expected;
        allMatch = allMatch && value == expected && ok;
    }
    return allMatch;
}
