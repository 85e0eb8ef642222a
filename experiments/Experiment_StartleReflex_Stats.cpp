#include "Experiment_StartleReflex_Stats.h"

#include "Clock.h"
#include "KestrumConstants.h"
#include "RunLogLine.h"
#include "SensorSample.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace {

using Stats = Experiment_StartleReflex_Stats;

// A reaction is searched from its stimulus's start on; it ends at the first below-mean sample
// after the stimulus, or at the third one while the stimulus lasts.
constexpr int belowMeanTolerated = 3;
constexpr qint64 noValue = std::numeric_limits<int>::min();

// The fields that hold the values of one stimulus kind.
struct KindFields
{
    const QString& key;
    void (Stats::*setReaction)(const double&);
    void (Stats::*setDuration)(const double&);
    void (Stats::*setAmplitude)(const double&);
    void (Stats::*setCount)(const int&);
    void (Stats::*setReactedCount)(const int&);
};

const QList<KindFields>& kinds()
{
    using namespace KestrumConstants;
    static const QList<KindFields> list{
        {StimulusLightKey, &Stats::setReactionToLight, &Stats::setDurationToLight, &Stats::setAmplitudeToLight,
         &Stats::setLightStimulusCount, &Stats::setLightReactedStimulusCount},
        {StimulusSoundKey, &Stats::setReactionToSound, &Stats::setDurationToSound, &Stats::setAmplitudeToSound,
         &Stats::setSoundStimulusCount, &Stats::setSoundReactedStimulusCount},
        {StimulusCircuitKey, &Stats::setReactionToCircuit, &Stats::setDurationToCircuit, &Stats::setAmplitudeToCircuit,
         &Stats::setCircuitStimulusCount, &Stats::setCircuitReactedStimulusCount},
    };
    return list;
}

struct StimulusMark
{
    QString type;
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// A stimulus counts from its "End_" mark, in the order of those marks; one without an end is
// never searched, one without a start starts at 0.
QList<StimulusMark> stimulusMarks(const QString& log)
{
    QMap<QString, qint64> pendingStarts;
    QList<StimulusMark> marks;
    for (const RunLogLine& line : RunLogLine::parse(log)) {
        for (const KindFields& kind : kinds()) {
            if (line.text.startsWith(QStringLiteral("Start_") + kind.key)) {
                pendingStarts[kind.key] = line.timeMs;
                break;
            }
            if (line.text.startsWith(QStringLiteral("End_") + kind.key)) {
                marks << StimulusMark{kind.key, pendingStarts.take(kind.key), line.timeMs};
                break;
            }
        }
    }
    return marks;
}

struct Samples
{
    // Sum of the three axes per time; a later sample of the same time replaces the earlier.
    std::map<qint64, double> values;
    double sum = 0.0;
    qint64 count = 0;
};

// Not a number counts as 0; a number no sensor gives is out of range.
std::optional<qint64> sensorField(const QByteArray& text, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        return 0;
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// A line "<ms since the recording began>;<x>;<y>;<z>" with the axes in hundredths; further
// fields are ignored. Lines with fewer fields or with numbers out of range give no sample.
void addSample(const QByteArray& line, Samples& samples)
{
    const QList<QByteArray> fields = line.trimmed().split(';');
    if (fields.size() < 4)
        return;
    // Times beyond what the log can hold could not be compared with its marks.
    const std::optional<qint64> time = sensorField(fields.at(0), 0, std::numeric_limits<int>::max());
    if (!time)
        return;
    qint64 axes = 0;
    for (int axis = 1; axis <= 3; ++axis) {
        const std::optional<qint64> value =
            sensorField(fields.at(axis), -SensorSample::MaxSensorUnits, SensorSample::MaxSensorUnits);
        if (!value)
            return;
        axes += *value;
    }
    const float value = float(axes) / 100.0f;
    samples.values[*time] = value;
    samples.sum += value;
    ++samples.count;
}

Samples readSamples(const QString& path)
{
    Samples samples;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return samples;
    while (!file.atEnd())
        addSample(file.readLine(), samples);
    return samples;
}

std::optional<StartleReaction> reactionTo(const StimulusMark& mark, const Samples& samples, double mean)
{
    StartleReaction reaction;
    reaction.type = mark.type;
    reaction.stimulusStartMs = mark.startMs;
    reaction.stimulusEndMs = mark.endMs;
    reaction.startMs = -1;
    reaction.belowMeanLeft = belowMeanTolerated;
    for (auto it = samples.values.lower_bound(mark.startMs); it != samples.values.end(); ++it) {
        const auto [time, value] = *it;
        if (value >= mean && reaction.startMs < 0) {
            reaction.startMs = reaction.endMs = time;
            reaction.amplitude = value;
        } else if (value < mean && reaction.startMs >= 0
                   && (--reaction.belowMeanLeft <= 0 || time >= reaction.stimulusEndMs)) {
            reaction.endMs = time;
            reaction.durationMs = time - reaction.startMs;
            reaction.amplitude = std::max(reaction.amplitude, value);
            return reaction;
        }
    }
    return std::nullopt;
}

QList<StartleReaction> findReactions(const QList<StimulusMark>& marks, const Samples& samples)
{
    QList<StartleReaction> reactions;
    if (samples.values.size() < 2)
        return reactions;
    const double mean = samples.sum / double(samples.count);
    for (const StimulusMark& mark : marks) {
        if (const std::optional<StartleReaction> reaction = reactionTo(mark, samples, mean))
            reactions << *reaction;
    }
    return reactions;
}

// Every stimulus counts, whether a reaction to it was found or not; the means are over the
// reactions. Latencies and durations are summed and divided as whole milliseconds, amplitudes
// as doubles.
struct Totals
{
    int count = 0;
    int reacted = 0;
    qint64 latency = 0;
    qint64 duration = 0;
    double amplitude = 0.0;

    void addReaction(const StartleReaction& reaction)
    {
        if (reaction.reactionDuration() <= 0)
            return;
        ++reacted;
        latency += reaction.latency();
        duration += reaction.reactionDuration();
        amplitude += reaction.amplitude;
    }

    double meanLatency() const { return reacted > 0 ? double(latency / reacted) : 0.0; }
    double meanDuration() const { return reacted > 0 ? double(duration / reacted) : 0.0; }
    double meanAmplitude() const { return reacted > 0 ? amplitude / reacted : 0.0; }
};

void storeKind(Stats& stats, const KindFields& kind, const Totals& totals)
{
    (stats.*kind.setReaction)(totals.meanLatency());
    (stats.*kind.setDuration)(totals.meanDuration());
    (stats.*kind.setAmplitude)(totals.meanAmplitude());
    (stats.*kind.setCount)(totals.count);
    (stats.*kind.setReactedCount)(totals.reacted);
}

void storeTotals(Stats& stats, const QList<StimulusMark>& marks, const QList<StartleReaction>& reactions)
{
    Totals all;
    QMap<QString, Totals> byKind;
    for (const StimulusMark& mark : marks) {
        ++all.count;
        ++byKind[mark.type].count;
    }
    QString list;
    for (const StartleReaction& reaction : reactions) {
        list += reaction.toText() + QStringLiteral("\r\n");
        all.addReaction(reaction);
        byKind[reaction.type].addReaction(reaction);
    }
    stats.setAverageReactionToAllStims(all.meanLatency());
    stats.setStimulusCount(all.count);
    stats.setReactedStimulusCount(all.reacted);
    for (const KindFields& kind : kinds())
        storeKind(stats, kind, byKind.value(kind.key));
    stats.setReactionsList(list);
}

// Every value of an item of the per-reaction table starts as "no value".
void clearToNoValues(Stats& item)
{
    const double nan = std::nan("");
    item.setAverageReactionToAllStims(nan);
    item.setDurationMs(int(noValue));
    item.setCycles(int(noValue));
    item.setMaxCycles(int(noValue));
    item.setStimulusCount(int(noValue));
    item.setReactedStimulusCount(int(noValue));
    for (const KindFields& kind : kinds()) {
        (item.*kind.setReaction)(nan);
        (item.*kind.setDuration)(nan);
        (item.*kind.setAmplitude)(nan);
        (item.*kind.setCount)(int(noValue));
        (item.*kind.setReactedCount)(int(noValue));
    }
    item.setReactionsCalced(true);
}

} // namespace

Experiment_StartleReflex_Stats::Experiment_StartleReflex_Stats(const QString& statsFilePath, bool autoSave,
                                                               QObject* parent)
    : Experiment_Stats(statsFilePath, autoSave, parent)
    , m_clock(Clock::system())
{
}

void Experiment_StartleReflex_Stats::setClock(Clock* clock)
{
    m_clock = clock ? clock : Clock::system();
}

void Experiment_StartleReflex_Stats::start()
{
    m_startMs = m_clock->monotonicMs();
}

void Experiment_StartleReflex_Stats::finish()
{
    closeTrackFile();
    setDurationMs(int(m_clock->monotonicMs() - m_startMs));
}

// A run from before the record kept whether it finished tells by its length alone.
bool Experiment_StartleReflex_Stats::runFinished() const
{
    return getFinished() && getDurationMs() > 0;
}

bool Experiment_StartleReflex_Stats::isRecalculated()
{
    return getReactionsCalced();
}

bool Experiment_StartleReflex_Stats::hasReactionsToRecalculate() const
{
    return true;
}

bool Experiment_StartleReflex_Stats::lacksValue(const QString& name) const
{
    if (name == QLatin1String("AverageReactionToAllStims"))
        return getReactedStimulusCount() == 0;
    for (const KindFields& kind : kinds()) {
        for (const char* mean : {"ReactionTo", "DurationTo", "AmplitudeTo"}) {
            if (name == QLatin1String(mean) + kind.key)
                return property(QString(kind.key + QStringLiteral("ReactedStimulusCount")).toUtf8().constData()).toInt()
                       == 0;
        }
    }
    return false;
}

void Experiment_StartleReflex_Stats::analyse()
{
    const QString samplesPath = QFileInfo(getFilepath()).absoluteDir().filePath(QLatin1String(samplesFileName));
    const QList<StimulusMark> marks = stimulusMarks(getLog());
    m_reactions = findReactions(marks, readSamples(samplesPath));
    const bool autoSaving = getAutoSave();
    setAutoSave(false);
    storeTotals(*this, marks, m_reactions);
    setAutoSave(autoSaving);
}

void Experiment_StartleReflex_Stats::recalculateReactions()
{
    analyse();
    if (!runFinished())
        return;
    // Saved once, with the flag; later edits of the record are saved as before.
    const bool autoSaving = getAutoSave();
    setAutoSave(false);
    setReactionsCalced(true);
    save();
    setAutoSave(autoSaving);
}

void Experiment_StartleReflex_Stats::loadReactions()
{
    if (!m_reactions.isEmpty())
        return;
    for (const QString& line : getReactionsList().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            m_reactions << StartleReaction(line.trimmed());
    }
}

QList<Experiment_Stats*> Experiment_StartleReflex_Stats::buildResult()
{
    loadReactions();
    QList<Experiment_Stats*> items;
    QMap<QString, int> numbers;
    for (const StartleReaction& reaction : std::as_const(m_reactions)) {
        auto* item = new Experiment_StartleReflex_Stats(QString(), false);
        clearToNoValues(*item);
        for (const KindFields& kind : kinds()) {
            if (reaction.type != kind.key)
                continue;
            (item->*kind.setAmplitude)(reaction.amplitude);
            (item->*kind.setReaction)(double(reaction.latency()));
            (item->*kind.setDuration)(double(reaction.reactionDuration()));
            item->setTitle(
                QCoreApplication::translate("Generic", (QStringLiteral("Reaction") + kind.key).toUtf8().constData())
                + QLatin1Char(' ') + QString::number(++numbers[kind.key]));
        }
        items << item;
    }
    return items;
}
