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
    m_scenarioConnections.clear();
    m_scenario = scenario;
    if (scenario) {
        setLastScript(QFileInfo(scenario->filePath).baseName());
        m_scenarioConnections << connect(scenario, &ExperimentScenario::saved, this,
                                         &BaseScenarioExperiment::changedScenario);
    } else {
        setLastScript(QString());
    }
    emit changedScenario();
}

void BaseScenarioExperiment::prepareRun()
{
    m_runScenario.reset(m_scenario ? m_scenario->clone() : nullptr);
    if (m_runScenario)
        m_runScenario->resetSteps();
}
