#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

class FormulaParser;

// The value of an arithmetic formula such as "(8+2*5)/(1+3*2-4)", with named variables whose
// values the caller supplies. Used in two steps: makeAnalyzeFormula lists the formula's
// variables, setVariablesValue gives each a value, and makeCalculate works the formula out as
// often as needed.
//
// Operands are C-locale numbers ("1.5", never "1,5", whatever the user's locale) or variables of
// the last analysis; any other word is refused, never read as 0, and so is a variable value that
// is not a number. "*" and "/" bind tighter than "+" and "-"; a "-" where an operand begins is
// its sign ("-2", or the variable "-a"). Each result of an operation keeps six significant
// digits, as "%g" prints it (1/3*3 gives 0.999999). Failures give false or a cleared success
// flag, with the reason in getErrorString(); nothing is logged.
class Evaluate
{
public:
    // Lists the variables of the formula (white space is ignored) and appends their names, in
    // name order, to `variables`. Asked again for the formula of the last analysis, it keeps
    // the variables and their values and repeats that analysis's answer without listing them.
    bool makeAnalyzeFormula(const QString& formula, QList<QString>& variables);
    // False for a name that the last analysis did not find and for a value that is not a
    // C-locale number.
    bool setVariablesValue(const QString& name, const QString& value);
    // Whether every variable of the last analysis has a value.
    bool isReady() const;
    // The formula's value; 0 with `ok` false on failure. Operands that are not numbers must be
    // variables of the last analysis.
    double makeCalculate(const QString& formula, bool& ok);
    // The same for the formula of the last analysis.
    double makeCalculate(bool& ok);
    // The formula of the last successful analysis cut at its operators and braces, the text
    // before each (possibly empty) followed by the operator or brace, then the rest; false when
    // there is none.
    bool getAllElements(QList<QString>& elements) const;
    QString getErrorString() const;

private:
    bool analyze(const QByteArray& formula);
    std::optional<double> operandValue(FormulaParser& parser, const QByteArray& operand) const;

    std::optional<QString> analysedFormula;
    bool analysisSucceeded = false;
    QString errorText;
    QList<QString> elements;
    QMap<QString, std::optional<double>> variables;
};

// The self-test of the class: the formulas of its documented table, calculated with one object;
// true when every value matches.
bool testEvaluate();
