#include "ApparatusFixtures.h"
#include "BasePropertyView.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "ExperimentController.h"
#include "ExperimentScenario.h"
#include "Experiment_StartleReflex.h"
#include "GlobalConsole.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "MetaKestrumDevice.h"
#include "MetaKestrumInfo.h"
#include "PageExperiment.h"
#include "PropertyListControl.h"
#include "ScenarioEditor.h"
#include "ScenarioStep.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"
#include "StartleSensor.h"
#include "StartleSensorViewer.h"
#include "StepDownPage.h"
#include "StyleHelper.h"
#include "TestFiles.h"
#include "WidgetPixels.h"
#include "ZExpander.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Answers the file pickers with the path and every question with the first button.
void answerPickersWith(const QString& path)
{
    DialogSeam::setHandler([path](const DialogSeam::Request& request) {
        if (request.kind == DialogSeam::Kind::SaveFile)
            return DialogSeam::Answer{0, false, {path}};
        return DialogSeam::Answer{0, false, {}};
    });
}

std::unique_ptr<ExperimentScenario> loaded(const QString& path)
{
    return std::unique_ptr<ExperimentScenario>(ExperimentScenario::load(path));
}

QStringList namesIn(const QComboBox& combo)
{
    QStringList names;
    for (int i = 0; i < combo.count(); ++i)
        names << combo.itemText(i);
    return names;
}

QPushButton* buttonWithTip(QWidget& parent, const char* toolTip)
{
    for (QPushButton* button : parent.findChildren<QPushButton*>())
        if (button->toolTip() == QCoreApplication::translate("ScenarioEditor", toolTip))
            return button;
    return nullptr;
}

// Whether the picture holds the colour anywhere.
bool shows(const QImage& picture, const QColor& colour)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Counts the widget's paint events.
class PaintCounter : public QObject
{
public:
    PaintCounter(QWidget* widget, int& paints)
        : paints(paints)
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    int& paints;
};

// Opens the viewer's context menu and, while it is shown, takes the step and chooses the entry.
void chooseFromContextMenu(StartleSensorViewer& viewer, const std::function<void()>& whileOpen)
{
    QTimer::singleShot(0, &viewer, [whileOpen] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        whileOpen();
        menu->setActiveAction(menu->actions().constFirst());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    emit viewer.customContextMenuRequested(QPoint(10, 10));
}

} // namespace

// Plugs a scripted startle sensor into the model and waits until the model has found it.
[[nodiscard]] static bool plugInStartleSensor(KestrumModel& model, ScriptedBoard& board)
{
    board.replyToFrame("initT", "{sn=S4261253}\r\n");
    if (!board.takePort(QStringLiteral("Startle"), 19200))
        return false;
    QSignalSpy found(&model, &KestrumModel::startleFound);
    model.onPortFound(QStringLiteral("Startle"), board.portName());
    return QTest::qWaitFor([&found] { return found.count() > 0; }, 10000);
}

class TestExperimentPage : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

private slots:
    void initTestCase() { SerialPortEnumerator::setSystemPortsIncluded(false); }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        answerPickersWith(QString());
    }

    void cleanup() { KestrumModel::setPanelFactory(nullptr); }

    // A folder's scenarios created, edited, renamed and deleted through the editor: every edit is
    // in the file at once, a name typed without the suffix gets it, the preview draws the steps,
    // and a folder left without scenarios gets the default one again.
    void scenariosAreEditedInTheirFiles()
    {
        const QString base = folder->path() + QLatin1Char('/');
        ScenarioEditor editor;
        editor.resize(500, 400);
        QSignalSpy changed(&editor, &ScenarioEditor::scenarioChanged);
        editor.reload(folder->path(), QString());
        auto* combo = editor.findChild<QComboBox*>();
        auto* tabs = editor.findChild<QTabWidget*>();
        QCOMPARE(namesIn(*combo), QStringList{"1"});
        QCOMPARE(changed.count(), 1);
        std::unique_ptr<ExperimentScenario> first = loaded(base + "1.scn");
        QVERIFY(first);
        QCOMPARE(first->cyclesAmount, 2);
        QCOMPARE(first->cycleDurationMs, 10000);
        const std::tuple<KestrumBaseDevice::KestrumAction, int, int, double> defaults[] = {
            {KestrumBaseDevice::Light, 2000, 1000, 100},
            {KestrumBaseDevice::Circuit, 1000, 4000, 1.0},
            {KestrumBaseDevice::Sound, 2000, 6000, 1000}};
        for (const auto& [action, duration, delay, value] : defaults) {
            QCOMPARE(first->stepsFor(action)->size(), 1);
            const ScenarioStep* step = first->stepsFor(action)->constFirst();
            QCOMPARE(std::tuple(step->durationMs, step->delayBeforeMs, step->value),
                     std::tuple(duration, delay, value));
        }
        QCOMPARE(editor.findChild<QSpinBox*>()->value(), 2);
        const QImage preview = editor.grab().toImage();
        QVERIFY(shows(preview, QColor(0xFF, 0xCC, 0x33)));
        QVERIFY(shows(preview, QColor(0x33, 0x99, 0xFF)));

        answerPickersWith(base + "Test");
        QVERIFY(buttonWithTip(editor, "Создать сценарий"));
        buttonWithTip(editor, "Создать сценарий")->click();
        QCOMPARE(namesIn(*combo), QStringList({"1", "Test"}));
        QCOMPARE(combo->currentText(), QStringLiteral("Test"));
        QCOMPARE(editor.currentScenario()->filePath, base + "Test.scn");

        // Another "1" typed without the suffix would have replaced the scenario unasked.
        answerPickersWith(base + "1");
        editor.createScenario();
        QCOMPARE(loaded(base + "1.scn")->stepsLight.size(), 1);
        QCOMPARE(combo->currentText(), QStringLiteral("1"));
        combo->setCurrentIndex(1);

        auto* cycle = editor.findChild<QDoubleSpinBox*>();
        cycle->setValue(2.5);
        QCOMPARE(loaded(base + "Test.scn")->cycleDurationMs, 2500);

        // A new grid-current step is selected and holds the default scenario's current.
        tabs->setCurrentIndex(KestrumBaseDevice::Circuit);
        editor.addStep();
        ScenarioStep* added = editor.selectedStep();
        QVERIFY(added);
        QCOMPARE(std::tuple(added->value, added->delayBeforeMs, added->durationMs), std::tuple(1.0, 1000, 1000));
        QPushButton* remove = buttonWithTip(editor, "Remove scenario step");
        QVERIFY(remove->isEnabled());
        QList<QDoubleSpinBox*> boxes = tabs->currentWidget()->findChildren<QDoubleSpinBox*>();
        QCOMPARE(boxes.size(), 3);
        boxes.at(0)->setValue(0.5);
        boxes.at(2)->setValue(32.3);
        std::unique_ptr<ExperimentScenario> test = loaded(base + "Test.scn");
        QCOMPARE(test->stepsCircuit.size(), 1);
        QCOMPARE(test->stepsCircuit.constFirst()->value, 0.5);
        QCOMPARE(test->stepsCircuit.constFirst()->durationMs, 32300);
        tabs->setCurrentIndex(KestrumBaseDevice::Sound);
        QVERIFY(!editor.selectedStep());
        QVERIFY(!remove->isEnabled());

        answerPickersWith(base + "Renamed");
        editor.renameScenario();
        QCOMPARE(namesIn(*combo), QStringList({"1", "Renamed"}));
        QCOMPARE(combo->currentText(), QStringLiteral("Renamed"));
        QVERIFY(!QFile::exists(base + "Test.scn"));
        QCOMPARE(loaded(base + "Renamed.scn")->stepsCircuit.size(), 1);

        editor.deleteScenario();
        QCOMPARE(namesIn(*combo), QStringList{"1"});
        editor.findChild<QSpinBox*>()->setValue(7);
        editor.deleteScenario();
        QCOMPARE(namesIn(*combo), QStringList{"1"});
        QCOMPARE(QDir(folder->path()).entryList({"*.scn"}), QStringList{"1.scn"});
        QCOMPARE(loaded(base + "1.scn")->cyclesAmount, 2);
    }

    // A scenario file that cannot be read is reported and left as it is; the default scenario
    // never takes its place.
    void unreadableScenariosAreKept()
    {
        const QByteArray broken = "{\"stepsLight\": [";
        QVERIFY(writeFileBytes(folder->filePath("1.scn"), broken));
        ScenarioEditor editor;
        QSignalSpy console(GlobalConsole::Instance(), &GlobalConsole::newEntry);
        editor.reload(folder->path(), QString());
        QVERIFY(!editor.currentScenario());
        QCOMPARE(readFileBytes(folder->filePath("1.scn")), broken);
        QTRY_VERIFY(!console.isEmpty());
        QVERIFY(console.constFirst().constFirst().toString().contains("1.scn"));

        QVERIFY(QFile::rename(folder->filePath("1.scn"), folder->filePath("2.scn")));
        editor.reload(folder->path(), QStringLiteral("2"));
        QCOMPARE(readFileBytes(folder->filePath("2.scn")), broken);
        QCOMPARE(QFileInfo(editor.currentScenario()->filePath).fileName(), QStringLiteral("1.scn"));
    }

    // 2001 samples leave the 2000 newest; samples over ten seconds end 320 pixels right of the
    // labels, and a minute of samples is cut at the labels.
    void startleViewerPlotsTheNewestSamples()
    {
        StartleSensorViewer viewer;
        viewer.resize(600, 100);
        for (int i = 0; i <= StartleSensorViewer::maxSamples; ++i)
            viewer.addSample(SensorSample{0.05f, 0.05f, 0.1f, i * 5}, false);
        QCOMPARE(viewer.samples().size(), StartleSensorViewer::maxSamples);
        QCOMPARE(viewer.samples().constFirst().t, 5);

        const QColor curve(0xFF, 0x99, 0x00);
        const auto curveColumns = [&] {
            const QImage picture = viewer.grab().toImage();
            QList<int> columns;
            for (int x = 0; x < picture.width(); ++x)
                for (int y = 0; y < picture.height(); ++y)
                    if (picture.pixelColor(x, y) == curve) {
                        columns << x;
                        break;
                    }
            return columns;
        };
        QList<int> columns = curveColumns();
        QVERIFY(!columns.isEmpty());
        QVERIFY(qAbs(columns.constLast() - (viewer.labelWidth() + 320)) <= 1);
        QVERIFY(qAbs(columns.constFirst() - viewer.labelWidth()) <= 1);

        for (int i = 1; i <= 60; ++i)
            viewer.addSample(SensorSample{0.3f, 0.3f, 0.3f, 10000 + i * 1000}, false);
        columns = curveColumns();
        QVERIFY(columns.constFirst() >= viewer.labelWidth());
        QVERIFY(columns.constLast() >= viewer.width() - 2);
    }

    // The curve lies on the theme's background, and follows a change of theme.
    void startleViewerFollowsTheTheme()
    {
        QVERIFY(addShippedThemes());
        StartleSensorViewer viewer;
        viewer.resize(200, 80);
        for (const QString theme : {"dark", "light"}) {
            StyleHelper::Instance()->selectTheme(theme);
            const QColor background = StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::magenta);
            QCOMPARE(background == Qt::white, theme == "light");
            QCOMPARE(viewer.grab().toImage().pixelColor(100, 10), background);
        }
    }

    // Started with another paradigm current, the startle paradigm chosen shows and takes the
    // scenario it used last, and the choice writes no LastScript. A last scenario that has gone
    // is named on the panel and the paradigm takes none in its place, until one is chosen.
    void startleParadigmKeepsItsScenarioOverARestart()
    {
        {
            KestrumModel model(folder->path());
            model.init();
            model.selectExperimentType(QStringLiteral("StartleReflex"));
            ExperimentController panel;
            answerPickersWith(folder->filePath("Second"));
            panel.scenarioEditor()->createScenario();
            model.selectExperimentType(QStringLiteral("LightBox"));
        }
        KestrumModel model(folder->path());
        model.init();
        QCOMPARE(model.currentScriptType(), QStringLiteral("LightBox"));
        Experiment_StartleReflex* startle = nullptr;
        for (BaseExperiment* experiment : model.experiments())
            if (experiment->typeKey() == u"StartleReflex")
                startle = qobject_cast<Experiment_StartleReflex*>(experiment);
        QVERIFY(startle);
        QCOMPARE(startle->getLastScript(), QStringLiteral("Second"));
        ExperimentController panel;
        QComboBox* types = panel.typeSelector()->comboBox();
        auto* missing = panel.findChild<QLabel*>("missingScenarioLabel");
        QVERIFY(missing);
        QSignalSpy written(startle, &BaseScenarioExperiment::changedLastScript);
        const auto chooseStartle = [&] {
            types->setCurrentIndex(int(model.experimentTypeKeys().indexOf("LightBox")));
            types->setCurrentIndex(int(model.experimentTypeKeys().indexOf("StartleReflex")));
            QCOMPARE(model.currentExperiment(), startle);
        };
        chooseStartle();
        QVERIFY(panel.scenarioEditor()->currentScenario());
        QCOMPARE(panel.scenarioEditor()->currentScenario()->filePath, folder->filePath("Second.scn"));
        QCOMPARE(startle->scenario(), panel.scenarioEditor()->currentScenario());
        QCOMPARE(missing->text(), QString());

        QVERIFY(QFile::remove(folder->filePath("Second.scn")));
        chooseStartle();
        QVERIFY(!startle->scenario());
        QVERIFY(!panel.scenarioEditor()->currentScenario());
        QCOMPARE(missing->text(),
                 ExperimentController::tr("The scenario \"%1\" is no longer there: choose a scenario").arg("Second"));
        QCOMPARE(written.count(), 0);
        QCOMPARE(startle->getLastScript(), QStringLiteral("Second"));

        panel.scenarioEditor()->findChild<QComboBox*>()->setCurrentIndex(0);
        QCOMPARE(startle->scenario(), panel.scenarioEditor()->currentScenario());
        QCOMPARE(startle->getLastScript(), QStringLiteral("1"));
        QCOMPARE(missing->text(), QString());
    }

    // The panel's paradigm choice stops every run before the switch; the lists show the chosen
    // paradigm's settings, and the startle paradigm gets the scenario and the live curve.
    void experimentPanelFollowsTheParadigm()
    {
        MetaKestrumDevice::installAsModelPanels();
        KestrumModel model(folder->path());
        model.init();
        RecordingDevice* chamber = adoptedChamber(QStringLiteral("SN-1"));
        model.registerDevice(chamber);
        QPointer<BaseExperiment> running = model.metaDevices().constFirst()->experiment();
        model.metaDevices().constFirst()->startExperiment(true);
        QVERIFY(running->isTriggered());

        ExperimentController panel;
        QComboBox* types = panel.typeSelector()->comboBox();
        QCOMPARE(types->currentData().toString(), QStringLiteral("LightBox"));
        QSignalSpy switched(&model, &KestrumModel::changedCurrentScriptType);
        types->setCurrentIndex(types->currentIndex());
        QCOMPARE(switched.count(), 0);

        types->setCurrentIndex(int(model.experimentTypeKeys().indexOf("StartleReflex")));
        QCOMPARE(model.currentScriptType(), QStringLiteral("StartleReflex"));
        QVERIFY(!running);
        QCOMPARE(chamber->texts().constLast(), QStringLiteral("off"));
        auto* startle = qobject_cast<Experiment_StartleReflex*>(model.currentExperiment());
        QVERIFY(panel.scenarioEditor()->isVisibleTo(&panel) && panel.startleViewer()->isVisibleTo(&panel));
        QVERIFY(startle->scenario());
        QCOMPARE(startle->scenario(), panel.scenarioEditor()->currentScenario());
        QCOMPARE(startle->scenario()->filePath, folder->filePath("1.scn"));
        QTRY_VERIFY(panel.mainSettings() && panel.mainSettings()->getWidgetInfo("PreambulePhase").view);
        QVERIFY(!panel.additionalSettings());

        // A run works on the scenario as it was at its start, whatever the editor does then;
        // the paradigm follows the editor, never a deleted scenario. The run starts with the
        // apparatus's own startle sensor.
        ScriptedBoard sensorBoard(QStringLiteral("Startle sensor"));
        sensorBoard.replyToFrame("initT", "{sn=SN-1}\r\n");
        QVERIFY(sensorBoard.takePort(QStringLiteral("Startle"), 19200));
        model.onPortFound(QStringLiteral("Startle"), sensorBoard.portName());
        QTRY_VERIFY_WITH_TIMEOUT(model.hasStartleSensorFor(QStringLiteral("SN-1")), 10000);
        ApparatusPanel* apparatus = model.metaDevices().constFirst();
        apparatus->startExperiment(true);
        auto* copy = static_cast<Experiment_StartleReflex*>(apparatus->experiment());
        const ExperimentScenario* run = copy->runScenario();
        QVERIFY(run && run != startle->scenario());
        panel.scenarioEditor()->findChild<QSpinBox*>()->setValue(5);
        panel.scenarioEditor()->deleteScenario();
        QTest::qWait(0);
        QCOMPARE(copy->runScenario(), run);
        QCOMPARE(std::tuple(run->cyclesAmount, run->stepsCircuit.size()), std::tuple(2, qsizetype(1)));
        QCOMPARE(startle->scenario(), panel.scenarioEditor()->currentScenario());
        QCOMPARE(copy->scenario(), startle->scenario());
        apparatus->startExperiment(false);

        model.selectExperimentType(QStringLiteral("ActiveAvoidance"));
        QCOMPARE(types->currentData().toString(), QStringLiteral("ActiveAvoidance"));
        QVERIFY(!panel.scenarioEditor()->isVisibleTo(&panel) && !panel.startleViewer()->isVisibleTo(&panel));
        QTRY_VERIFY(panel.additionalSettings());
        QVERIFY(panel.mainSettings()->getWidgetInfo("CyclesCount").view);

        QVERIFY(!panel.detectionSettings()->isVisibleTo(&panel));
        model.settings()->setAdvancedSettings(true);
        QVERIFY(!panel.detectionSettings()->isVisibleTo(&panel));
        model.settings()->setShowDetectionSettings(true);
        QVERIFY(panel.detectionSettings()->isVisibleTo(&panel));
    }

    // The first startle sensor found feeds the live curve; every second sample repaints it.
    void startleSamplesReachTheViewer()
    {
        KestrumModel model(folder->path());
        model.init();
        model.selectExperimentType(QStringLiteral("StartleReflex"));
        ExperimentController panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        ScriptedBoard sensorBoard(QStringLiteral("Startle sensor"));
        QVERIFY(plugInStartleSensor(model, sensorBoard));

        StartleSensorViewer* viewer = panel.startleViewer();
        int paints = 0;
        PaintCounter counter(viewer, paints);
        for (int i = 0; i < 100; ++i) {
            sensorBoard.send(QStringLiteral("{x:%1,y:0,z:0,t:%2}\r\n").arg(100 + i).arg(1000 + 10 * i).toUtf8());
            QTRY_COMPARE(viewer->samples().size(), i + 1);
            QTest::qWait(1);
        }
        QCOMPARE(paints, 50);
        QCOMPARE(viewer->samples().constLast().t, 1990);
    }

    // "Calibrate" on the curve's menu takes the sensor's baseline; a sensor unplugged while the
    // menu is open is gone when the entry is chosen, and nothing calls it.
    void startleMenuCalibratesOnlyASensorStillThere()
    {
        KestrumModel model(folder->path());
        model.init();
        StartleSensorViewer viewer;
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        ScriptedBoard sensorBoard(QStringLiteral("Startle sensor"));
        QVERIFY(plugInStartleSensor(model, sensorBoard));
        StartleSensor* sensor = model.startleSensors().constFirst();
        QList<float> xs;
        connect(sensor, &StartleSensor::sensorSample, this, [&xs](const SensorSample& sample) { xs << sample.x; });
        std::atomic<bool> deleted{false};
        connect(sensor, &QObject::destroyed, [&deleted] { deleted = true; });

        sensorBoard.send("{x:100,y:0,z:0,t:1000}\r\n{x:300,y:0,z:0,t:1010}\r\n");
        QTRY_COMPARE(xs.size(), 2);
        QVERIFY(xs.constFirst() == 0 && xs.constLast() > 0);
        chooseFromContextMenu(viewer, [] {});
        sensorBoard.send("{x:300,y:0,z:0,t:1020}\r\n");
        QTRY_COMPARE(xs.size(), 3);
        QCOMPARE(xs.constLast(), 0.0f);

        chooseFromContextMenu(viewer, [&] {
            sensorBoard.closeFarEnd();
            QTRY_VERIFY_WITH_TIMEOUT(deleted, 10000);
        });
        QVERIFY(deleted);
        QVERIFY(model.startleSensors().isEmpty());
    }

    // No apparatus: the hint. Then the panels in the order of title and serial number, the
    // virtual chamber's among them, reordered when an apparatus is renamed; the page lets go of
    // them when it goes, as they belong to the model.
    void pageOrdersTheApparatusPanels()
    {
        MetaKestrumDevice::installAsModelPanels();
        KestrumModel model(folder->path());
        model.init();
        auto page = std::make_unique<PageExperiment>();
        QVERIFY(page->hintLabel()->isVisibleTo(page.get()));
        QCOMPARE(page->hintLabel()->text(), QCoreApplication::translate("PageExperiment", "No devices found"));
        QVERIFY(!page->panelSplitter()->isVisibleTo(page.get()));

        model.settings()->setDebugKestrumDevice(true);
        QTRY_COMPARE(page->panelSplitter()->count(), 1);
        QVERIFY(!page->hintLabel()->isVisibleTo(page.get()));
        QVERIFY(page->panelSplitter()->isVisibleTo(page.get()));

        const std::pair<const char*, const char*> apparatus[] = {{"9", "A"}, {"1", "B"}, {"0", ""}};
        for (const auto& [serial, title] : apparatus) {
            model.registerDevice(adoptedChamber(QString::fromLatin1(serial)));
            static_cast<MetaKestrumDevice*>(model.metaDevices().constLast())->info()->setTitle(title);
        }
        const auto order = [&] {
            QStringList serials;
            for (int i = 0; i < page->panelSplitter()->count(); ++i)
                serials << static_cast<ApparatusPanel*>(page->panelSplitter()->widget(i))->device()->serialNumber();
            return serials;
        };
        QTRY_COMPARE(order(), QStringList({"0", "9", "1", "VirtualKestrum"}));
        static_cast<MetaKestrumDevice*>(model.metaDevices().constLast())->info()->setTitle("C");
        emit model.kestrumRenamed();
        QTRY_COMPARE(order(), QStringList({"9", "1", "0", "VirtualKestrum"}));

        QPointer<ApparatusPanel> panel = model.metaDevices().constFirst();
        page.reset();
        QVERIFY(panel);
        QVERIFY(!panel->parent());
    }

    // A run set up on the page: the paradigm chosen on the experiment panel, the background
    // calibrated and the run started on the apparatus's panel; it ends by itself with the grid
    // off and its record in the run folder.
    void runIsSetUpAndCompletedFromThePage()
    {
        StepDownPage setUp(folder->path());
        QVERIFY(setUp.calibrated());
        setUp.model->currentExperiment()->setValue(QStringLiteral("MaxDuration"), 1);
        BaseExperiment* copy = setUp.panel->experiment();
        QCOMPARE(copy->typeKey(), QStringLiteral("StepDown"));
        QCOMPARE(copy->getValue(QStringLiteral("MaxDuration")).toInt(), 1);

        setUp.panel->startExperiment(true);
        QVERIFY(setUp.animalAt(320, 3000));
        QVERIFY(!copy->isTriggered());
        const QStringList runs = QDir(copy->folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(runs.size(), 1);
        QTRY_VERIFY(QFile::exists(copy->folder() + runs.constFirst() + "/Stats.xml"));
        QTRY_COMPARE(setUp.chamber->texts().constLast(), QStringLiteral("off"));
    }
};

QTEST_MAIN(TestExperimentPage)
#include "tst_experimentpage.moc"
