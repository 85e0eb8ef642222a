// Analyses a run whose log and Startle.csv are arbitrary (the log's words and separators come up
// often). The recording is left as it was; every reaction found lies within its stimulus's time
// line with a consistent duration and a finite amplitude; the reacted counts and means agree
// with the reactions, and every stimulus kind counts at least its reactions; and the stored reactions read back, from
// the text and from the saved record, as the same reactions.
#include "Experiment_StartleReflex_Stats.h"
#include "FuzzScratch.h"
#include "FuzzStream.h"
#include "KestrumConstants.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace KestrumConstants;

const QList<QByteArray> words{"Start_Light", "End_Light", "Start_Sound", "End_Sound", "Start_Circuit",
                              "End_Circuit", "\r\n",      "|",           ";",         "\n"};

QStringList textsOf(const QList<StartleReaction>& reactions)
{
    QStringList texts;
    for (const StartleReaction& reaction : reactions)
        texts << reaction.toText();
    return texts;
}

void checkReaction(const StartleReaction& reaction)
{
    const bool knownKind =
        reaction.type == StimulusLightKey || reaction.type == StimulusSoundKey || reaction.type == StimulusCircuitKey;
    if (!knownKind || reaction.startMs < reaction.stimulusStartMs || reaction.endMs < reaction.startMs
        || reaction.durationMs != reaction.endMs - reaction.startMs || !std::isfinite(reaction.amplitude))
        std::abort();
}

qsizetype reactionsOf(const QList<StartleReaction>& reactions, const QString& kind)
{
    return std::count_if(reactions.cbegin(), reactions.cend(),
                         [&](const StartleReaction& reaction) { return reaction.type == kind; });
}

void checkTotals(Experiment_StartleReflex_Stats& record)
{
    const QList<StartleReaction> reactions = record.reactions();
    const int kinds =
        record.getLightStimulusCount() + record.getSoundStimulusCount() + record.getCircuitStimulusCount();
    const int reacted = record.getLightReactedStimulusCount() + record.getSoundReactedStimulusCount()
                        + record.getCircuitReactedStimulusCount();
    if (record.getStimulusCount() != kinds || reacted != record.getReactedStimulusCount() || reacted != reactions.size()
        || record.getLightStimulusCount() < reactionsOf(reactions, StimulusLightKey)
        || record.getSoundStimulusCount() < reactionsOf(reactions, StimulusSoundKey)
        || record.getCircuitStimulusCount() < reactionsOf(reactions, StimulusCircuitKey))
        std::abort();
    for (const double mean : {record.getAverageReactionToAllStims(), record.getAmplitudeToLight(),
                              record.getAmplitudeToSound(), record.getAmplitudeToCircuit()})
        if (!std::isfinite(mean))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_startleanalysis";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    const QByteArray stream = FuzzStream::fromInput(data, size, words).stream;
    const qsizetype split = stream.indexOf('\0');
    const QByteArray recording = split < 0 ? QByteArray() : stream.mid(split + 1);
    const QString csv =
        fuzzInputFile(QLatin1String(Experiment_StartleReflex_Stats::samplesFileName),
                      reinterpret_cast<const uint8_t*>(recording.constData()), size_t(recording.size()));
    const QString statsPath = QFileInfo(csv).dir().filePath(QStringLiteral("Stats.xml"));

    Experiment_StartleReflex_Stats record(statsPath, false);
    record.setLog(QString::fromUtf8(stream.left(split < 0 ? stream.size() : split)));
    record.setDurationMs(1);
    record.recalculate(true);
    if (fuzzReadBack(csv) != recording || !record.getReactionsCalced())
        std::abort();
    for (const StartleReaction& reaction : record.reactions())
        checkReaction(reaction);
    checkTotals(record);

    Experiment_StartleReflex_Stats stored(statsPath, false);
    if (!stored.reload() || !stored.getReactionsCalced() || stored.getReactionsList() != record.getReactionsList())
        std::abort();
    stored.loadReactions();
    if (textsOf(stored.reactions()) != textsOf(record.reactions()))
        std::abort();
    return 0;
}
