#pragma once

#include "ConnectionHelper.h"
#include "SensorSample.h"

#include <QPointer>
#include <QWidget>

class Experiment_StartleReflex;
class KestrumExperimentTypeSelector;
class PropertyListControl;
class QGridLayout;
class QLabel;
class ScenarioEditor;
class StartleSensorViewer;
class ZExpander;

// The side panel of the experiment page: the choice of paradigm, its settings, the scenario and
// the live startle curve where the paradigm uses the startle sensor, and the detection settings
// in advanced mode. It edits what the model holds; runs are started and stopped by the
// apparatus panels.
class ExperimentController : public QWidget
{
    Q_OBJECT

public:
    explicit ExperimentController(QWidget* parent = nullptr);
    ~ExperimentController() override;

    KestrumExperimentTypeSelector* typeSelector() const { return m_selector; }
    ScenarioEditor* scenarioEditor() const { return m_scenarioEditor; }
    StartleSensorViewer* startleViewer() const { return m_startleViewer; }
    PropertyListControl* mainSettings() const;
    // Null when the paradigm has no additional setting to show.
    ZExpander* additionalSettings() const;
    ZExpander* detectionSettings() const { return m_detectionExpander; }

private:
    void buildDetectionSettings();
    void rebuildSettingsLists();
    void showParadigmParts();
    static Experiment_StartleReflex* currentStartleParadigm();
    void showLastScenario();
    // Names a scenario that is no longer there; an empty name clears the text.
    void showMissingScenario(const QString& name);
    void handScenarioToExperiment();
    void updateDetectionVisibility();
    void connectFirstStartleSensor();
    void disconnectStartleSensor();
    void feedSample(const SensorSample& sample);

    QGridLayout* m_layout;
    KestrumExperimentTypeSelector* m_selector;
    QPointer<PropertyListControl> m_mainList;
    QPointer<PropertyListControl> m_extraList;
    QPointer<ZExpander> m_extraExpander;
    ZExpander* m_detectionExpander = nullptr;
    ScenarioEditor* m_scenarioEditor;
    StartleSensorViewer* m_startleViewer;
    QLabel* m_missingScenario;
    ConnectionHelper m_modelConnections;
    QMetaObject::Connection m_sensorConnection;
};
