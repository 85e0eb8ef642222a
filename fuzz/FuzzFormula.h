#pragma once

// What the fuzz targets of the formula evaluators share: one calculation's outcome, worked out
// with the C library's numbers as the user's locale may set them.
#include <QString>

#include <clocale>
#include <utility>

template <typename Value>
struct FormulaOutcome
{
    Value value{};
    bool ok = false;
    QString error;

    bool operator==(const FormulaOutcome&) const = default;
};

template <typename Evaluator>
auto calculateFormula(const QString& formula)
{
    Evaluator evaluator;
    FormulaOutcome<decltype(evaluator.makeCalculate(formula, std::declval<bool&>()))> outcome;
    outcome.value = evaluator.makeCalculate(formula, outcome.ok);
    outcome.error = evaluator.getErrorString();
    return outcome;
}

// The outcome with a comma as the C library's decimal point, which must change nothing.
template <typename Evaluator>
auto calculateWithDecimalComma(const QString& formula)
{
    std::setlocale(LC_NUMERIC, "ru_RU.UTF-8");
    const auto outcome = calculateFormula<Evaluator>(formula);
    std::setlocale(LC_NUMERIC, "C");
    return outcome;
}
