#include "BooleanEvaluate.h"
#include "Evaluate.h"

#include <QTest>

namespace {
// Failures give the type's default value and their message; successes no message.
template <typename Evaluator, typename Value>
void requireOutcome(const QString& formula, Value expected, const QString& error)
{
    Evaluator evaluator;
    bool ok = !error.isEmpty();
    QCOMPARE(evaluator.makeCalculate(formula, ok), expected);
    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(evaluator.getErrorString(), error);
}
} // namespace

// The error texts name the evaluator, so that a caller holding several can tell them apart.
class TestFormulaEvaluators : public QObject
{
    Q_OBJECT

private slots:
    void documentedTablesHold()
    {
        QVERIFY(testEvaluate());
        QVERIFY(testBooleanEvaluate());
    }

    void arithmetic_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<double>("expected");
        QTest::addColumn<QString>("error");
        const QString none;
        QTest::newRow("spaces anywhere") << " 1 +\t2 " << 3.0 << none;
        QTest::newRow("six digits after an operation") << "1/3*3" << 0.999999 << none;
        QTest::newRow("a lone number keeps all digits") << "1234567.5" << 1234567.5 << none;
        QTest::newRow("product rounded") << "1234567*1" << 1234570.0 << none;
        QTest::newRow("C-locale decimals") << "0.5*3" << 1.5 << none;
        QTest::newRow("signs after operators") << "2--3*-1" << -1.0 << none;
        QTest::newRow("sign after a brace") << "8/(-2)" << -4.0 << none;
        QTest::newRow("division by zero") << "1/(2-2)" << 0.0 << "Evaluate::calc division by zero";
        QTest::newRow("ends with an operator") << "1+" << 0.0 << "Evaluate::takeLastSymbols last symbols is empty";
        QTest::newRow("closing brace alone") << "1)" << 0.0 << "Evaluate::processBackBrace front brace not found";
        QTest::newRow("brace never closed") << "(1+2" << 0.0 << "Evaluate::processBackBrace back brace not found";
        QTest::newRow("leading plus") << "+1" << 0.0 << "Evaluate::parce incorrect data";
        QTest::newRow("number before a brace") << "2(3)" << 0.0 << "Evaluate::parce incorrect data";
        QTest::newRow("two operators") << "2**3" << 0.0 << "Evaluate::parce incorrect data";
        QTest::newRow("empty braces") << "()" << 0.0 << "Evaluate::parce incorrect data";
        QTest::newRow("empty") << "  " << 0.0 << "Evaluate::parce incorrect data";
        QTest::newRow("decimal comma") << "1,5+1" << 0.0 << "Evaluate::addValue Unknown variable";
        QTest::newRow("two points") << "1.2.3" << 0.0 << "Evaluate::addValue Unknown variable";
        QTest::newRow("unknown word") << "abc*2" << 0.0 << "Evaluate::addValue Unknown variable";
        QTest::newRow("too large") << QString(400, u'9') << 0.0 << "Evaluate::addValue number out of range";
        QTest::newRow("overflow") << QString(300, u'9') + "*" + QString(300, u'9') << 0.0
                                  << "Evaluate::calc result out of range";
    }

    void arithmetic()
    {
        QFETCH(QString, formula);
        QFETCH(double, expected);
        QFETCH(QString, error);
        requireOutcome<Evaluate>(formula, expected, error);
    }

    void variablesAreListedAndMustHoldNumbers()
    {
        Evaluate evaluator;
        QList<QString> variables{"kept"};
        QVERIFY(evaluator.makeAnalyzeFormula("b * a + (c - a)", variables));
        QCOMPARE(variables, QList<QString>({"kept", "a", "b", "c"}));
        QList<QString> elements;
        QVERIFY(evaluator.getAllElements(elements));
        QCOMPARE(elements, QList<QString>({"b", "*", "a", "+", "", "(", "c", "-", "a", ")", ""}));
        QVERIFY(!evaluator.isReady());
        bool ok = true;
        QCOMPARE(evaluator.makeCalculate(ok), 0.0);
        QVERIFY(!ok);
        QCOMPARE(evaluator.getErrorString(), "Evaluate::addValue uninitialized variable b");

        // A value that is not a C-locale number is refused, not taken as 0.
        QVERIFY(!evaluator.setVariablesValue("a", "abc"));
        QVERIFY(!evaluator.setVariablesValue("a", "1,5"));
        QVERIFY(!evaluator.setVariablesValue("d", "1"));
        QVERIFY(evaluator.setVariablesValue("a", "1.5"));
        QVERIFY(evaluator.setVariablesValue("b", "2"));
        QVERIFY(!evaluator.isReady());
        QVERIFY(evaluator.setVariablesValue("c", " 1e-1 "));
        QVERIFY(evaluator.isReady());
        QCOMPARE(evaluator.makeCalculate(ok), 1.6);
        QVERIFY(ok);

        // The same formula again keeps the values and does not list the variables again.
        variables.clear();
        QVERIFY(evaluator.makeAnalyzeFormula("b * a + (c - a)", variables));
        QVERIFY(variables.isEmpty());
        QCOMPARE(evaluator.makeCalculate(ok), 1.6);

        // A failed analysis stays a failure when asked again.
        QVERIFY(!evaluator.makeAnalyzeFormula("a*", variables));
        QVERIFY(!evaluator.makeAnalyzeFormula("a*", variables));
        QCOMPARE(evaluator.getErrorString(), "Evaluate::takeLastSymbols last symbols is empty");
        QVERIFY(!evaluator.getAllElements(elements = {}));
        QVERIFY(variables.isEmpty());
    }

    void conditions_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("error");
        const QString none;
        QTest::newRow("C precedence of && over ||") << "true||false&&false" << true << none;
        QTest::newRow("comparisons before &&") << "2>1&&3<2" << false << none;
        QTest::newRow("equality after relations") << "1<2==2<3" << true << none;
        QTest::newRow("arithmetic first") << "1+2*3>=7" << true << none;
        QTest::newRow("C-locale decimals") << "0.5>0.49" << true << none;
        QTest::newRow("negation") << "!0&&!false" << true << none;
        QTest::newRow("negated one") << "!1" << false << none;
        QTest::newRow("double negation") << "!!true" << true << none;
        QTest::newRow("double negation of false") << "!!false&&true" << false << none;
        QTest::newRow("triple negation") << "!!!1" << false << none;
        QTest::newRow("exponent") << "1e5>2" << true << none;
        QTest::newRow("signed exponents") << "1e-5>0&&2.5E+2==250" << true << none;
        QTest::newRow("negated exponent") << "!1e-5" << false << none;
        QTest::newRow("exponent beyond a double")
            << "1e400>1" << false << "BooleanEvaluate::addValue number out of range";
        QTest::newRow("exponent without digits") << "1e>0" << false << "BooleanEvaluate::addValue unknown word 1e";
        QTest::newRow("infinity is a word") << "inf>1" << false << "BooleanEvaluate::addValue unknown word inf";
        QTest::newRow("typo") << "ture" << false << "BooleanEvaluate::addValue unknown word ture";
        QTest::newRow("unknown word") << "1&&maybe" << false << "BooleanEvaluate::addValue unknown word maybe";
        QTest::newRow("single =") << "2=2" << false << "BooleanEvaluate::addValue unknown word 2=2";
        QTest::newRow("single |") << "1|0" << false << "BooleanEvaluate::addValue unknown word 1|0";
        QTest::newRow("decimal comma") << "1,5>1" << false << "BooleanEvaluate::addValue unknown word 1,5";
        QTest::newRow("division by zero") << "1/0>0" << false << "BooleanEvaluate::calc division by zero";
        QTest::newRow("ends with an operator")
            << "1&&" << false << "BooleanEvaluate::takeLastSymbols last symbols is empty";
        QTest::newRow("closing brace alone")
            << "true)" << false << "BooleanEvaluate::processBackBrace front brace not found";
        QTest::newRow("operator first") << "&&1" << false << "BooleanEvaluate::parce incorrect data";
        QTest::newRow("empty") << "" << false << "BooleanEvaluate::parce incorrect data";
    }

    void conditions()
    {
        QFETCH(QString, condition);
        QFETCH(bool, expected);
        QFETCH(QString, error);
        requireOutcome<BooleanEvaluate>(condition, expected, error);
    }
};

QTEST_GUILESS_MAIN(TestFormulaEvaluators)
#include "tst_formulaevaluators.moc"
