#pragma once

#include "BaseExperiment.h"
#include "ConnectionHelper.h"
#include "ExperimentScenario.h"

#include <QPointer>

#include <memory>

// An experiment that plays a scenario between a preambule and a postambule phase.
//
// The scenario is the one the user chose and may edit or delete at any time; a run works on
// its own copy, taken when the run is triggered (runScenario).
class BaseScenarioExperiment : public BaseExperiment
{
    Q_OBJECT
    ZT_BOUNDED_PROPERTY(int, PreambulePhase, 0, 0, 36000, 1)
    Q_CLASSINFO("PreambulePhaseSuffix", " s")
    Q_CLASSINFO("PreambulePhaseCategory", "MainSettings")
    Q_CLASSINFO("PreambulePhaseDescription", "PreambulePhaseDescription")
    ZT_BOUNDED_PROPERTY(int, PostambulePhase, 0, 0, 36000, 1)
    Q_CLASSINFO("PostambulePhaseSuffix", " s")
    Q_CLASSINFO("PostambulePhaseCategory", "MainSettings")
    Q_CLASSINFO("PostambulePhaseDescription", "PostambulePhaseDescription")
    ZT_PROPERTY(QString, LastScript, "")
    Q_CLASSINFO("LastScriptNotVisible", "true")

public:
    BaseScenarioExperiment(const QString& baseFolder, QObject* parent = nullptr);
    ~BaseScenarioExperiment() override;

    ExperimentScenario* scenario() const { return m_scenario; }
    // Not owned; the experiment forgets a scenario that is deleted. Recorded in LastScript as
    // the one last used.
    void setScenario(ExperimentScenario* scenario);
    // Takes the scenario, or none, and leaves LastScript as it is: what the paradigm is shown
    // when it is chosen is not yet a scenario the experimenter used.
    void holdScenario(ExperimentScenario* scenario);
    // The panels' name for setScenario.
    void loadScenario(ExperimentScenario* scenario) { setScenario(scenario); }
    // The run's own copy of the scenario; null before the first trigger or without a scenario.
    ExperimentScenario* runScenario() const { return m_runScenario.get(); }

signals:
    void changedScenario();

protected:
    void prepareRun() override;

private:
    QPointer<ExperimentScenario> m_scenario;
    std::unique_ptr<ExperimentScenario> m_runScenario;
    ConnectionHelper m_scenarioConnections;
};
