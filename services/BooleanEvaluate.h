#pragma once

#include <QString>

#include <optional>

class FormulaParser;

// Whether a condition such as "((false)||(5>2))&&(((7+3)==10)!=0)" holds. The arithmetic of
// Evaluate, extended by comparisons ("<", ">", "<=", ">=", "==", "!=") and the logical "&&" and
// "||", which give 1 or 0, the words true and false, and a "!" before an operand, which makes a
// value above 0 into 0 and any other into 1. There are no variables.
//
// The operators bind as in C: "*" "/" before "+" "-" before "<" ">" "<=" ">=" before "==" "!="
// before "&&" before "||", so "2>1&&3<2" is false. Numbers are read in the C locale whatever the
// user's locale, with or without an exponent ("1e-5"), and a word other than true and false is
// refused, not read as 0, so that a typo such as "ture" fails instead of quietly giving false.
// Each "!" negates what follows it: "!!true" is true, "!!false" false. Failures clear the
// success flag and leave the reason in getErrorString().
class BooleanEvaluate
{
public:
    // The truth of the condition (white space ignored); false with `ok` false on failure.
    bool makeCalculate(const QString& condition, bool& ok);
    QString getErrorString() const;

private:
    static std::optional<double> operandValue(FormulaParser& parser, const QByteArray& operand);
    static std::optional<double> apply(FormulaParser& parser, const QByteArray& symbol, double left, double right);

    QString errorText;
};

// The self-test of the class: the conditions of its documented table, calculated with one
// object, each with a debug line "CORRECT" or "BAD"; true when every one matches.
bool testBooleanEvaluate();
