// Feeds arbitrary text to the arithmetic formula evaluator, as a formula typed by a user or read
// from a file would be. Whatever the input: a failure gives 0 and a message naming the evaluator;
// a value is finite; the value does not depend on the C library's locale; the formula's elements
// joined again give the formula without its white space; a formula that works out keeps its value
// inside braces; an analysis that succeeds leaves a formula that works out once its variables have
// values, or fails only on arithmetic; a copy of an analysed evaluator calculates alike.
#include "Evaluate.h"
#include "FuzzFormula.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void broken(const char* promise, const QString& formula)
{
    std::fprintf(stderr, "fuzz_evaluate: %s: \"%s\"\n", promise, qPrintable(formula));
    std::abort();
}

using Outcome = FormulaOutcome<double>;

bool arithmeticFailure(const QString& error)
{
    return error == QStringLiteral("Evaluate::calc division by zero")
           || error == QStringLiteral("Evaluate::calc result out of range")
           || error == QStringLiteral("Evaluate::addValue number out of range");
}

void requireAnalysisAgrees(const QString& formula, const Outcome& direct)
{
    Evaluate evaluator;
    QList<QString> variables;
    if (!evaluator.makeAnalyzeFormula(formula, variables)) {
        if (direct.ok)
            broken("a formula that works out fails its analysis", formula);
        return;
    }
    QList<QString> elements;
    evaluator.getAllElements(elements);
    QString compact = formula;
    compact.removeIf([](QChar c) { return c.isSpace(); });
    if (elements.join(QString()) != compact)
        broken("the elements do not give the formula back", formula);
    for (const QString& name : variables)
        if (!evaluator.setVariablesValue(name, QStringLiteral("1.5")))
            broken("a listed variable takes no value", formula);
    if (!evaluator.isReady())
        broken("not ready with every variable set", formula);
    bool ok = false;
    const double value = evaluator.makeCalculate(ok);
    if (!ok && !arithmeticFailure(evaluator.getErrorString()))
        broken("an analysed formula fails on its shape", formula);
    if (variables.isEmpty() && (ok != direct.ok || value != direct.value))
        broken("analysis changes the value of a formula without variables", formula);
    const Evaluate copy = evaluator;
    bool copyOk = false;
    if (Evaluate(copy).makeCalculate(copyOk) != value || copyOk != ok)
        broken("a copy calculates otherwise", formula);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_evaluate";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    const QString formula = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const Outcome direct = calculateFormula<Evaluate>(formula);
    if (direct.ok ? !std::isfinite(direct.value) || !direct.error.isEmpty()
                  : direct.value != 0 || !direct.error.startsWith(QStringLiteral("Evaluate::")))
        broken("a failure without its message, or a value that is not finite", formula);

    if (calculateWithDecimalComma<Evaluate>(formula) != direct)
        broken("the locale changes the outcome", formula);

    if (direct.ok) {
        const Outcome braced = calculateFormula<Evaluate>(u'(' + formula + u')');
        if (!braced.ok || braced.value != direct.value)
            broken("braces change the value", formula);
    }
    requireAnalysisAgrees(formula, direct);
    return 0;
}
