// Loads arbitrary bytes as a scenario file. Reading never damages: the file stays as it was and
// nothing is written beside it. A refused file says why; a scenario that loads keeps every
// value within what a chamber carries out, reads as the same bytes do without a file, saves,
// and loads back to the same content.
#include "ExperimentScenario.h"
#include "FuzzScratch.h"
#include "KestrumConstants.h"

#include <QDir>
#include <QFileInfo>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool valuesInRange(const ExperimentScenario& scenario)
{
    const std::pair<KestrumBaseDevice::KestrumAction, double> highest[] = {
        {KestrumBaseDevice::Circuit, KestrumConstants::MaxGridMilliamperes},
        {KestrumBaseDevice::Light, 100.0},
        {KestrumBaseDevice::Sound, 10000.0}};
    qsizetype steps = 0;
    for (const auto& [action, maxValue] : highest) {
        for (const ScenarioStep* step : *scenario.stepsFor(action))
            if (!(step->value >= 0.0 && step->value <= maxValue))
                return false;
        steps += scenario.stepsFor(action)->size();
    }
    return steps <= ExperimentScenario::MaxSteps;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzInputFile(QStringLiteral("input.scn"), data, size);
    QString error;
    const std::unique_ptr<ExperimentScenario> scenario(ExperimentScenario::load(path, &error));
    const QDir folder = QFileInfo(path).dir();
    if (fileBytes(path) != input || folder.entryList(QDir::Files) != QStringList{QStringLiteral("input.scn")})
        std::abort();
    const std::unique_ptr<ExperimentScenario> fromBytes(ExperimentScenario::fromJson(input));
    if (bool(fromBytes) != bool(scenario) || (scenario && fromBytes->toJson() != scenario->toJson()))
        std::abort();
    if (!scenario) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (!valuesInRange(*scenario))
        std::abort();
    scenario->setFilePath(folder.filePath(QStringLiteral("saved.scn")));
    if (!scenario->save())
        std::abort();
    const std::unique_ptr<ExperimentScenario> back(ExperimentScenario::load(scenario->filePath));
    if (!back || back->toJson() != scenario->toJson())
        std::abort();
    return 0;
}
