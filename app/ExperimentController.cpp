#include "ExperimentController.h"

#include "ApparatusThread.h"
#include "ExperimentScenario.h"
#include "Experiment_StartleReflex.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "PropertyListControl.h"
#include "ScenarioEditor.h"
#include "StartleSensor.h"
#include "StartleSensorViewer.h"
#include "StyleHelper.h"
#include "ZExpander.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

namespace {

enum Row {
    SelectorRow = 0,
    SettingsTitleRow = 1,
    MainSettingsRow = 2,
    AdditionalSettingsRow = 4,
    StretchRow = 5,
    ScenarioRow = 6,
    StartleViewerRow = 9,
    DetectionRow = 10
};

// Shared by every panel: only every second startle sample asks for a repaint, the others are
// only stored, so a fast sensor does not keep the interface painting.
int repaintCountdown = 2;

ZExpander* collapsedExpander(const char* header, QWidget* content)
{
    auto* expander = new ZExpander(generic(header), Qt::transparent, Qt::transparent);
    expander->setInnerWidget(content);
    expander->collapse();
    return expander;
}

BaseExperiment* currentExperiment()
{
    KestrumModel* model = KestrumModel::instance();
    return model ? model->currentExperiment() : nullptr;
}

} // namespace

ExperimentController::ExperimentController(QWidget* parent)
    : QWidget(parent)
    , m_layout(new QGridLayout(this))
    , m_selector(new KestrumExperimentTypeSelector)
    , m_scenarioEditor(new ScenarioEditor)
    , m_startleViewer(new StartleSensorViewer)
    , m_missingScenario(new QLabel)
{
    StyleHelper::Instance()->setStyledBackground(this, QStringLiteral("--z-sub-bg"), Qt::transparent);
    m_layout->addWidget(m_selector, SelectorRow, 0, Qt::AlignLeft);
    m_layout->addWidget(
        new QLabel(QStringLiteral("\r\n") + generic(QT_TRANSLATE_NOOP("Generic", "Experiment settings"))),
        SettingsTitleRow, 0);
    m_layout->addWidget(new QLabel, MainSettingsRow + 1, 0);
    m_layout->addWidget(new QLabel, StretchRow, 0);
    m_layout->setRowStretch(StretchRow, 100);
    m_layout->addWidget(m_scenarioEditor, ScenarioRow, 0, 2, 1);
    m_missingScenario->setObjectName(QStringLiteral("missingScenarioLabel"));
    m_missingScenario->setWordWrap(true);
    m_missingScenario->setStyleSheet(QStringLiteral("color: #C30; font-weight: bold"));
    m_layout->addWidget(m_missingScenario, ScenarioRow + 2, 0);
    m_startleViewer->setMinimumHeight(150);
    m_layout->addWidget(m_startleViewer, StartleViewerRow, 0);
    rebuildSettingsLists();

    KestrumModel* model = KestrumModel::instance();
    if (!model)
        return;
    connect(m_scenarioEditor, &ScenarioEditor::scenarioChanged, this, &ExperimentController::handScenarioToExperiment);
    showParadigmParts();
    buildDetectionSettings();

    m_modelConnections << connect(model, &KestrumModel::currentScriptChanged, this,
                                  &ExperimentController::rebuildSettingsLists, Qt::QueuedConnection);
    m_modelConnections << connect(model, &KestrumModel::changedCurrentScriptType, this,
                                  &ExperimentController::showParadigmParts);
    m_modelConnections << connect(model, &KestrumModel::startleFound, this,
                                  &ExperimentController::connectFirstStartleSensor);
    connectFirstStartleSensor();
}

ExperimentController::~ExperimentController()
{
    m_modelConnections.clear();
    disconnectStartleSensor();
}

PropertyListControl* ExperimentController::mainSettings() const
{
    return m_mainList;
}

ZExpander* ExperimentController::additionalSettings() const
{
    return m_extraExpander;
}

void ExperimentController::buildDetectionSettings()
{
    KestrumSettings* settings = KestrumModel::instance()->settings();
    if (!settings)
        return;
    auto* list =
        new PropertyListControl(settings, QStringLiteral("2.Detection"), PropertyListControl::ViewSingleCategory);
    list->hideItems({QStringLiteral("ShowDetectionSettings")});
    m_detectionExpander = collapsedExpander(QT_TRANSLATE_NOOP("Generic", "Detection settings"), list);
    m_layout->addWidget(m_detectionExpander, DetectionRow, 0);
    m_modelConnections << connect(settings, &KestrumSettings::changedAdvancedSettings, this,
                                  &ExperimentController::updateDetectionVisibility);
    m_modelConnections << connect(settings, &KestrumSettings::changedShowDetectionSettings, this,
                                  &ExperimentController::updateDetectionVisibility);
    updateDetectionVisibility();
}

void ExperimentController::updateDetectionVisibility()
{
    const KestrumSettings* settings = KestrumModel::instance()->settings();
    m_detectionExpander->setVisible(settings->getAdvancedSettings() && settings->getShowDetectionSettings());
}

void ExperimentController::rebuildSettingsLists()
{
    for (QWidget* old : {static_cast<QWidget*>(m_mainList), static_cast<QWidget*>(m_extraList),
                         static_cast<QWidget*>(m_extraExpander)})
        if (old)
            old->deleteLater();
    m_extraExpander = nullptr;
    BaseExperiment* experiment = currentExperiment();
    if (!experiment)
        return;
    m_mainList =
        new PropertyListControl(experiment, QStringLiteral("MainSettings"), PropertyListControl::ViewSingleCategory);
    m_extraList =
        new PropertyListControl(experiment, QStringLiteral("XtraSettings"), PropertyListControl::ViewSingleCategory);
    for (PropertyListControl* list : {m_mainList.data(), m_extraList.data()}) {
        list->setManageCategoryVisibility(true);
        list->setAutoFocus(false);
    }
    m_layout->addWidget(m_mainList, MainSettingsRow, 0, Qt::AlignTop);
    if (m_extraList->visibleProperties() > 0) {
        m_extraExpander =
            collapsedExpander(QT_TRANSLATE_NOOP("Generic", "Additional experiment settings"), m_extraList);
        m_layout->addWidget(m_extraExpander, AdditionalSettingsRow, 0, Qt::AlignTop);
    } else {
        m_extraList->deleteLater();
    }
}

void ExperimentController::showParadigmParts()
{
    BaseExperiment* experiment = currentExperiment();
    const bool startle = experiment && experiment->usesStartleSensor();
    m_startleViewer->setVisible(startle);
    m_scenarioEditor->setVisible(startle);
    showMissingScenario(QString());
    if (startle)
        showLastScenario();
}

Experiment_StartleReflex* ExperimentController::currentStartleParadigm()
{
    auto* startle = qobject_cast<Experiment_StartleReflex*>(currentExperiment());
    return startle && startle->usesStartleSensor() ? startle : nullptr;
}

// The editor shows the paradigm's own last scenario, whichever paradigm was current before. One
// that has gone is named, and the paradigm waits for the experimenter's choice rather than run
// another stimulus protocol unnoticed.
void ExperimentController::showLastScenario()
{
    Experiment_StartleReflex* startle = currentStartleParadigm();
    if (!startle)
        return;
    const QString last = startle->getLastScript();
    {
        const QSignalBlocker blocker(m_scenarioEditor);
        m_scenarioEditor->reload(KestrumModel::instance()->baseFolder(), last);
        const ExperimentScenario* shown = m_scenarioEditor->currentScenario();
        if (!last.isEmpty() && (!shown || QFileInfo(shown->filePath).baseName() != last)) {
            m_scenarioEditor->setCurrentScenario(nullptr);
            showMissingScenario(last);
        }
    }
    startle->holdScenario(m_scenarioEditor->currentScenario());
}

void ExperimentController::showMissingScenario(const QString& name)
{
    m_missingScenario->setText(
        name.isEmpty() ? QString() : tr("The scenario \"%1\" is no longer there: choose a scenario").arg(name));
}

void ExperimentController::handScenarioToExperiment()
{
    showMissingScenario(QString());
    if (Experiment_StartleReflex* startle = currentStartleParadigm())
        startle->loadScenario(m_scenarioEditor->currentScenario());
}

// Repeated finds leave one connection: to the sensor that is first in the model's list now. It is
// made and dropped in the sensor's thread, where the sensor sends its samples.
void ExperimentController::connectFirstStartleSensor()
{
    const QList<StartleSensor*> sensors = KestrumModel::instance()->startleSensors();
    if (sensors.isEmpty())
        return;
    disconnectStartleSensor();
    StartleSensor* sensor = sensors.constFirst();
    ApparatusThread::runAndWait([this, sensor] {
        m_sensorConnection = connect(sensor, &StartleSensor::sensorSample, this, &ExperimentController::feedSample,
                                     Qt::QueuedConnection);
    });
}

void ExperimentController::disconnectStartleSensor()
{
    if (m_sensorConnection)
        ApparatusThread::runAndWait([connection = m_sensorConnection] { disconnect(connection); });
    m_sensorConnection = {};
}

void ExperimentController::feedSample(const SensorSample& sample)
{
    --repaintCountdown;
    m_startleViewer->addSample(sample, repaintCountdown == 0);
    if (repaintCountdown <= 0)
        repaintCountdown = 2;
}
