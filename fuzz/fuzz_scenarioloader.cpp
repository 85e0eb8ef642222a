// Loads arbitrary bytes as a scenario file. A scenario that loads must save and load back
// to the same content.
#include "ExperimentScenario.h"
#include "FuzzScratch.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString error;
    const std::unique_ptr<ExperimentScenario> scenario(ExperimentScenario::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)), &error));
    if (!scenario) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    scenario->setFilePath(fuzzScratchPath(QStringLiteral("fuzz.scn")));
    if (!scenario->save())
        std::abort();
    const std::unique_ptr<ExperimentScenario> back(ExperimentScenario::load(scenario->filePath));
    if (!back || back->toJson() != scenario->toJson())
        std::abort();
    return 0;
}
