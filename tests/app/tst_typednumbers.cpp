#include "BasePropertyView.h"
#include "DialogSeam.h"
#include "ExperimentScenario.h"
#include "PropertyListControl.h"
#include "ScenarioEditor.h"
#include "ScenarioStep.h"
#include "SerialPortEnumerator.h"
#include "StepDownPage.h"
#include "TypedKeys.h"

#include <QDoubleSpinBox>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

// Numbers typed into the experiment panel's settings and the scenario editor, key by key.
class TestTypedNumbers : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

    // The step-down paradigm's current typed on the panel, and the stimulus of a run whose
    // animal steps off the platform.
    void typeGridCurrent(const QString& typed, double milliamperes)
    {
        StepDownPage setUp(folder->path());
        setUp.page->show();
        QVERIFY(setUp.calibrated());
        PropertyListControl* settings = setUp.page->experimentPanel()->mainSettings();
        QTRY_VERIFY(settings && settings->getWidgetInfo("Circuit").view);
        const auto current = [&setUp] { return setUp.model->currentExperiment()->getValue("Circuit"); };
        typeInto(settings->getWidgetInfo("Circuit").view->getEditor(), typed, current);
        if (QTest::currentTestFailed())
            return;
        // Exactly: 0.7999999999999999 would pass a fuzzy comparison with 0.8.
        QCOMPARE(QString::number(current().toDouble(), 'g', 17), QString::number(milliamperes, 'g', 17));

        setUp.panel->startExperiment(true);
        QVERIFY(setUp.animalAt(320, 200));
        setUp.chamber->takeTexts();
        QVERIFY(setUp.animalAt(100, 600));
        const QStringList sent = setUp.chamber->takeTexts().filter(QRegularExpression("^grid (?!0\\.0 )"));
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.constFirst().section(u' ', 1, 1), QString::number(milliamperes, 'f', 1));
        setUp.panel->startExperiment(false);
    }

    void typePhaseLength(const QString& typed, double seconds)
    {
        KestrumModel model(folder->path());
        model.init();
        model.selectExperimentType(QStringLiteral("ActiveAvoidance"));
        ExperimentController panel;
        panel.show();
        QTRY_VERIFY(panel.mainSettings() && panel.mainSettings()->getWidgetInfo("LightPhase").view);
        const auto phase = [&model] { return model.currentExperiment()->getValue("LightPhase"); };
        typeInto(panel.mainSettings()->getWidgetInfo("LightPhase").view->getEditor(), typed, phase);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(phase().toDouble(), seconds);
    }

    // The default scenario's grid-current step and its cycle, as the file holds them.
    void typeIntoScenario(const QString& field, const QString& typed, double stored)
    {
        ScenarioEditor editor;
        editor.reload(folder->path(), QString());
        editor.show();
        auto* tabs = editor.findChild<QTabWidget*>();
        tabs->setCurrentIndex(KestrumBaseDevice::Circuit);
        const QList<QDoubleSpinBox*> step = tabs->currentWidget()->findChildren<QDoubleSpinBox*>();
        const QHash<QString, QAbstractSpinBox*> boxes{{"step value", step.value(0)},
                                                      {"step delay", step.value(1)},
                                                      {"step duration", step.value(2)},
                                                      {"cycle length", editor.findChild<QDoubleSpinBox*>()},
                                                      {"cycles", editor.findChild<QSpinBox*>()}};
        const auto saved = [this, &field]() -> QVariant {
            const std::unique_ptr<ExperimentScenario> scenario(ExperimentScenario::load(folder->filePath("1.scn")));
            if (!scenario || scenario->stepsCircuit.isEmpty())
                return QVariant();
            const ScenarioStep* circuit = scenario->stepsCircuit.constFirst();
            const QHash<QString, double> values{{"step value", circuit->value},
                                                {"step delay", circuit->delayBeforeMs},
                                                {"step duration", circuit->durationMs},
                                                {"cycle length", scenario->cycleDurationMs},
                                                {"cycles", scenario->cyclesAmount}};
            return values.value(field);
        };
        typeInto(boxes.value(field), typed, saved);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(saved().isValid());
        QCOMPARE(saved().toDouble(), stored);
    }

    // Key by key over the whole text, then Return unless a step or leaving the field took the
    // number: until then nothing is stored.
    static void typeInto(QWidget* field, const QString& typed, const std::function<QVariant()>& stored)
    {
        auto* box = qobject_cast<QAbstractSpinBox*>(field);
        QVERIFY(box);
        box->setFocus();
        box->selectAll();
        const QVariant before = stored();
        bool taken = false;
        for (const QChar key : typed) {
            pressKey(box, key);
            taken = taken || takesTheNumber(key);
            if (!taken)
                QCOMPARE(stored(), before);
        }
        if (!taken)
            QTest::keyClick(box, Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        SerialPortEnumerator::setSystemPortsIncluded(false);
        DialogSeam::setHandler([](const DialogSeam::Request&) { return DialogSeam::Answer{0, false, {}}; });
    }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
    }

    void cleanup() { KestrumModel::setPanelFactory(nullptr); }

    // Numbers typed on the experiment panel and in the scenario editor with either decimal sign,
    // in either language, are taken as meant: a step's value and times, the cycle's length and
    // count, a phase length, and the grid current, which the chamber is then sent as typed. A
    // whole-number field takes no number with a decimal sign: the value before stays.
    // Nothing is stored before the entry is finished: swapping the sign of "1,5 mA" passes
    // through "15 mA". What is stored is what the field shows: seconds become the milliseconds
    // shown, and a step adds no binary floating-point error.
    void typedNumbersAreTakenAsMeant_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        for (const QString language : {"en_US", "ru_RU"}) {
            const auto row = [&](const char* field, const QString& keys, double stored) {
                QTest::addRow("%s %s %s", qPrintable(language), field, qPrintable(keys))
                    << language << field << keys << stored;
            };
            for (const QChar sign : {u'.', u','}) {
                const auto typed = [sign](const char* text) { return QString::fromLatin1(text).replace(u'.', sign); };
                const QChar other = sign == u'.' ? u',' : u'.';
                row("grid current", typed("0.5"), 0.5);
                row("grid current", QString(u'1') + other + QStringLiteral("5←⌫") + sign, 1.5);
                row("phase length", typed("1.5"), 10);
                row("step value", typed("0.5"), 0.5);
                row("step delay", typed("2.5"), 2500);
                row("step delay", typed("64.6"), 64600);
                row("step duration", typed("0.7"), 700);
                row("step duration", typed("32.3"), 32300);
                row("cycle length", typed("2.5"), 2500);
                row("cycle length", typed("65.1"), 65100);
                row("cycles", typed("1.5"), 2);
            }
            row("grid current", "0.5↑↑↑", 0.8);
            row("cycle length", "10↑↑↑", 10300);
        }
    }

    void typedNumbersAreTakenAsMeant()
    {
        QFETCH(QString, language);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(double, stored);
        QLocale::setDefault(QLocale(language));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        if (field == "grid current")
            typeGridCurrent(typed, stored);
        else if (field == "phase length")
            typePhaseLength(typed, stored);
        else
            typeIntoScenario(field, typed, stored);
    }
};

QTEST_MAIN(TestTypedNumbers)
#include "tst_typednumbers.moc"
