// Feeds arbitrary text to the condition evaluator, as a condition typed by a user or read from a
// file would be. Whatever the input: a failure gives false and a message naming the evaluator;
// the outcome does not depend on the C library's locale; a condition that works out keeps its
// truth inside braces, gives the same truth compared with 0 and the opposite compared equal to 0,
// and makes "true||(...)" true and "false&&(...)" false.
#include "BooleanEvaluate.h"
#include "FuzzFormula.h"

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void broken(const char* promise, const QString& condition)
{
    std::fprintf(stderr, "fuzz_booleanevaluate: %s: \"%s\"\n", promise, qPrintable(condition));
    std::abort();
}

using Outcome = FormulaOutcome<bool>;

void requireWorksOutTo(const QString& condition, bool expected, const QString& original)
{
    const Outcome outcome = calculateFormula<BooleanEvaluate>(condition);
    if (!outcome.ok || outcome.value != expected)
        broken(qPrintable(QStringLiteral("\"%1\" does not work out to %2").arg(condition).arg(expected)), original);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_booleanevaluate";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    const QString condition = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const Outcome direct = calculateFormula<BooleanEvaluate>(condition);
    if (direct.ok ? !direct.error.isEmpty()
                  : direct.value || !direct.error.startsWith(QStringLiteral("BooleanEvaluate::")))
        broken("a failure without its message, or true with it", condition);

    if (calculateWithDecimalComma<BooleanEvaluate>(condition) != direct)
        broken("the locale changes the outcome", condition);

    if (!direct.ok)
        return 0;
    const QString braced = u'(' + condition + u')';
    requireWorksOutTo(braced, direct.value, condition);
    requireWorksOutTo(braced + QStringLiteral("!=0"), direct.value, condition);
    requireWorksOutTo(braced + QStringLiteral("==0"), !direct.value, condition);
    requireWorksOutTo(QStringLiteral("true||") + braced, true, condition);
    requireWorksOutTo(QStringLiteral("false&&") + braced, false, condition);
    return 0;
}
