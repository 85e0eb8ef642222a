#include "BaseScenarioExperiment.h"

#include <QFileInfo>

BaseScenarioExperiment::BaseScenarioExperiment(const QString& baseFolder, QObject* parent)
    : BaseExperiment(baseFolder, parent)
    , m_scenarioConnections(QStringLiteral("BaseScenarioExperiment"))
{
}

BaseScenarioExperiment::~BaseScenarioExperiment() = default;

void BaseScenarioExperiment::setScenario(ExperimentScenario* scenario)
{
    setLastScript(scenario ? QFileInfo(scenario->filePath).baseName() : QString());
    holdScenario(scenario);
}

void BaseScenarioExperiment::holdScenario(ExperimentScenario* scenario)
{
    m_scenarioConnections.clear();
    m_scenario = scenario;
    if (scenario)
        m_scenarioConnections << connect(scenario, &ExperimentScenario::saved, this,
                                         &BaseScenarioExperiment::changedScenario);
    emit changedScenario();
}

void BaseScenarioExperiment::prepareRun()
{
    m_runScenario.reset(m_scenario ? m_scenario->clone() : nullptr);
    if (m_runScenario)
        m_runScenario->resetSteps();
}
