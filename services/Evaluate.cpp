#include "Evaluate.h"

#include "FormulaParser.h"

#include <utility>

namespace {
FormulaParser arithmeticParser()
{
    return FormulaParser(QStringLiteral("Evaluate"), {{"*", 1}, {"/", 1}, {"+", 0}, {"-", 0}});
}
} // namespace

bool Evaluate::makeAnalyzeFormula(const QString& formula, QList<QString>& variables)
{
    if (analysedFormula == formula)
        return analysisSucceeded;
    analysedFormula = formula;
    analysisSucceeded = analyze(FormulaParser::withoutWhiteSpace(formula));
    if (analysisSucceeded)
        variables.append(this->variables.keys());
    return analysisSucceeded;
}

bool Evaluate::analyze(const QByteArray& formula)
{
    variables.clear();
    elements.clear();
    FormulaParser parser = arithmeticParser();
    const std::optional<QList<FormulaParser::Token>> tokens = parser.tokens(formula);
    if (!tokens) {
        errorText = parser.error();
        return false;
    }
    QString textBefore;
    for (const FormulaParser::Token& token : *tokens) {
        if (token.kind != FormulaParser::Token::Operand) {
            elements << std::exchange(textBefore, QString()) << QString::fromUtf8(token.text);
            continue;
        }
        textBefore = QString::fromUtf8(token.text);
        if (!FormulaParser::isNumber(token.text) && !variables.contains(textBefore))
            variables.insert(textBefore, std::nullopt);
    }
    elements << textBefore;
    return true;
}

bool Evaluate::setVariablesValue(const QString& name, const QString& value)
{
    if (!variables.contains(name))
        return false;
    FormulaParser parser = arithmeticParser();
    const std::optional<double> number = parser.numberValue(value.trimmed().toUtf8());
    if (!number) {
        errorText = parser.error();
        return false;
    }
    variables[name] = number;
    return true;
}

bool Evaluate::isReady() const
{
    for (const std::optional<double>& value : variables)
        if (!value)
            return false;
    return true;
}

double Evaluate::makeCalculate(const QString& formula, bool& ok)
{
    FormulaParser parser = arithmeticParser();
    const std::optional<double> value = parser.calculate(
        FormulaParser::withoutWhiteSpace(formula),
        [&](const QByteArray& operand) { return operandValue(parser, operand); },
        [&](const QByteArray& symbol, double left, double right) { return parser.arithmetic(symbol, left, right); });
    ok = value.has_value();
    if (!ok)
        errorText = parser.error();
    return value.value_or(0);
}

double Evaluate::makeCalculate(bool& ok)
{
    return makeCalculate(analysedFormula.value_or(QString()), ok);
}

std::optional<double> Evaluate::operandValue(FormulaParser& parser, const QByteArray& operand) const
{
    if (FormulaParser::isNumber(operand))
        return parser.numberValue(operand);
    const QString name = QString::fromUtf8(operand);
    const auto variable = variables.constFind(name);
    if (variable == variables.constEnd())
        return parser.fail(QStringLiteral("addValue Unknown variable"));
    if (!variable.value())
        return parser.fail(QStringLiteral("addValue uninitialized variable ") + name);
    return variable.value();
}

bool Evaluate::getAllElements(QList<QString>& elements) const
{
    if (this->elements.isEmpty())
        return false;
    elements.append(this->elements);
    return true;
}

QString Evaluate::getErrorString() const
{
    return errorText;
}

bool testEvaluate()
{
    const QList<std::pair<QString, double>> table = {
        {"0*100/2", 0},
        {"-2/-2", 1},
        {"4", 4},
        {"(8+2*5)/(1+3*2-4)", 6},
        {"(3+7)*9-(3+7)*8", 10},
        {"((1+2)*4)+3", 15},
        {"11*6-(-10+4)*2", 78},
        {"3+7*9-3+7*8", 119},
    };
    Evaluate evaluator;
    for (const auto& [formula, expected] : table) {
        bool ok = false;
        if (evaluator.makeCalculate(formula, ok) != expected || !ok)
            return false;
    }
    return true;
}
