#include "Experiment_StartleReflex.h"

#include "Experiment_StartleReflex_Stats.h"
#include "KestrumBaseDevice.h"
#include "LanguageContext.h"
#include "ParadigmTexts.h"
#include "ScenarioStep.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaEnum>
#include <QMutexLocker>

#include <algorithm>

namespace {

constexpr int manualLightMs = 1000;
// A sound or grid step is sent with a short time of its own, renewed while frames come, so
// that it ends by itself soon after the frames stop; it never outlasts its step's window.
constexpr int soundDeadManMs = 1000;
constexpr int gridDeadManMs = 250;

[[maybe_unused]] const char* const displayWords[] = {
    QT_TRANSLATE_NOOP("Generic", "StartleReflex"),
};

QString actionKey(KestrumBaseDevice::KestrumAction action)
{
    return QLatin1String(QMetaEnum::fromType<KestrumBaseDevice::KestrumAction>().valueToKey(action));
}

// The channels whose steps a cycle plays, in the order they are evaluated.
constexpr KestrumBaseDevice::KestrumAction stepActions[] = {KestrumBaseDevice::Light, KestrumBaseDevice::Circuit,
                                                            KestrumBaseDevice::Sound};

QString endMark(KestrumBaseDevice::KestrumAction action)
{
    return QStringLiteral("End_") + actionKey(action);
}

int stimulusDuration(qint64 leftMs, int deadManMs)
{
    return int(std::clamp<qint64>(leftMs, 1, deadManMs));
}

ResultColumn column(const char* key, int kind, const char* title, const QString& description)
{
    return ResultColumn(QLatin1String(key), kind != ResultColumn::Text, kind, generic(title), description, QString());
}

// Descriptions of times carry their unit: ", s".
QString inSeconds(const char* description)
{
    static const QString unit = QStringLiteral(", ") + generic(QT_TRANSLATE_NOOP("Generic", "s"));
    return generic(description) + unit;
}

} // namespace

bool Experiment_StartleReflex::SentOutput::needsSending(double wanted, qint64 nowMs, int deadManMs) const
{
    if (!value || *value != wanted)
        return true;
    return wanted > 0 && deadManMs > 0 && nowMs - atMs >= deadManMs / 2;
}

Experiment_StartleReflex::Experiment_StartleReflex(const QString& baseFolder, QObject* parent)
    : BaseScenarioExperiment(baseFolder, parent)
{
}

QString Experiment_StartleReflex::typeKey() const
{
    return QStringLiteral("StartleReflex");
}

// A stored run is analysed the first time it is opened; later openings read the stored
// reactions. A new run's record and a record that does not load are not analysed.
Experiment_Stats* Experiment_StartleReflex::createStats(const QString& statsPath)
{
    auto* stats = new Experiment_StartleReflex_Stats(statsPath, true);
    stats->setClock(clock());
    if (!stats->reload() || !QFileInfo::exists(statsPath))
        return stats;
    // Opening a run for review writes nothing of it.
    if (stats->getReactionsCalced())
        stats->loadReactions();
    else
        stats->analyse();
    return stats;
}

QList<ResultColumn> Experiment_StartleReflex::resultColumns()
{
    using Kind = ResultColumn::Kind;
    return {
        column("Title", Kind::Text, QT_TRANSLATE_NOOP("Generic", "Title"), QString()),
        column("DurationMs", Kind::Time, QT_TRANSLATE_NOOP("Generic", "T₀"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Duration"))),
        column("StimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "N stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Общее количество стимулов"))),
        column("ReactedStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "M stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Общее количество стимулов, на которые обнаружена реакция"))),
        column("AverageReactionToAllStims", Kind::Time, QT_TRANSLATE_NOOP("Generic", "T reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Average reaction time"))),
        column("ReactionToLight", Kind::Time, QT_TRANSLATE_NOOP("Generic", "T light reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Среднее время реакции на свет"))),
        column("DurationToLight", Kind::Time, QT_TRANSLATE_NOOP("Generic", "D light reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Средняя длительность реакции на свет"))),
        column("AmplitudeToLight", Kind::Count, QT_TRANSLATE_NOOP("Generic", "A light reaction"),
               generic(QT_TRANSLATE_NOOP("Generic", "Средняя амплитуда реакции на свет"))),
        column("LightStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "N light stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Количество световых стимулов"))),
        column("LightReactedStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "M light stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Количество световых стимулов, на которые обнаружена реакция"))),
        column("ReactionToCircuit", Kind::Time, QT_TRANSLATE_NOOP("Generic", "T circuit reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Среднее время реакции на электричество"))),
        column("DurationToCircuit", Kind::Time, QT_TRANSLATE_NOOP("Generic", "D circuit reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Средняя длительность реакции на электричество"))),
        column("AmplitudeToCircuit", Kind::Count, QT_TRANSLATE_NOOP("Generic", "A circuit reaction"),
               generic(QT_TRANSLATE_NOOP("Generic", "Средняя амплитуда реакции на электричество"))),
        column("CircuitStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "N circuit stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Количество электрических стимулов"))),
        column(
            "CircuitReactedStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "M circuit stim"),
            generic(QT_TRANSLATE_NOOP("Generic", "Количество электрических стимулов, на которые обнаружена реакция"))),
        column("ReactionToSound", Kind::Time, QT_TRANSLATE_NOOP("Generic", "T sound reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Среднее время реакции на звук"))),
        column("DurationToSound", Kind::Time, QT_TRANSLATE_NOOP("Generic", "D sound reaction"),
               inSeconds(QT_TRANSLATE_NOOP("Generic", "Средняя длительность реакции на звук"))),
        column("AmplitudeToSound", Kind::Count, QT_TRANSLATE_NOOP("Generic", "A sound reaction"),
               generic(QT_TRANSLATE_NOOP("Generic", "Средняя амплитуда реакции на звук"))),
        column("SoundStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "N sound stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Количество звуковых стимулов"))),
        column("SoundReactedStimulusCount", Kind::Count, QT_TRANSLATE_NOOP("Generic", "M sound stim"),
               generic(QT_TRANSLATE_NOOP("Generic", "Количество звуковых стимулов, на которые обнаружена реакция"))),
        column("Rodent", Kind::Text, QT_TRANSLATE_NOOP("Generic", "Rodent"),
               generic(QT_TRANSLATE_NOOP("Generic", "Rodent"))),
        column("Comment", Kind::Text, QT_TRANSLATE_NOOP("Generic", "Comment"),
               generic(QT_TRANSLATE_NOOP("Generic", "Comment"))),
    };
}

QString Experiment_StartleReflex::iconPath()
{
    return QStringLiteral(":/Images/startle-reflex.svg");
}

BaseExperiment* Experiment_StartleReflex::createInstance()
{
    auto* copy = new Experiment_StartleReflex(folder());
    copy->loadSettingsReadOnly();
    return copy;
}

bool Experiment_StartleReflex::usesStartleSensor()
{
    return true;
}

// The panel's own action while a run is triggered.
void Experiment_StartleReflex::manualAction()
{
    QMutexLocker lock(&m_runMutex);
    if (isTriggered() && m_device)
        m_device->setLight(KestrumBaseDevice::Both, 100, manualLightMs);
}

void Experiment_StartleReflex::prepareRun()
{
    BaseScenarioExperiment::prepareRun();
    m_preambuleSeconds = getPreambulePhase();
    m_postambuleSeconds = getPostambulePhase();
}

void Experiment_StartleReflex::onStartStop(bool start)
{
    if (!start)
        endStepsUnderWay();
    if (!start && m_init)
        emit cyclesTextChanged(QString());
    emit timeTextChanged(ParadigmTexts::runStatus(start, m_init));
}

// Manual control's window takes over a chamber with everything off, so whatever the step under
// way gives goes out afresh when the device comes back.
void Experiment_StartleReflex::onDeviceTaken()
{
    BaseScenarioExperiment::onDeviceTaken();
    forgetSentOutputs();
}

void Experiment_StartleReflex::processDetection(bool, QSize, QPoint, const QRect&, bool& inDangerZone)
{
    inDangerZone = false;
    ExperimentScenario* scenario = runScenario();
    if (!scenario || !isTriggered())
        return;
    if (!isRunning()) {
        startRun(*scenario);
        return;
    }
    Outputs outputs;
    runPhases(*scenario, outputs);
    // The scenario's end stops the run, and the stop switches everything off.
    if (isTriggered())
        drive(outputs);
}

void Experiment_StartleReflex::startRun(ExperimentScenario& scenario)
{
    if (!openRun())
        return;
    recordAs<Experiment_StartleReflex_Stats>()->setScenarioName(QFileInfo(scenario.filePath).baseName());
    if (!beginRun())
        return;
    m_phaseStartMs = clock()->monotonicMs();
    m_cycleIndex = -1;
    m_preambuleDone = m_preambuleSeconds == 0;
    m_postambuleDone = m_postambuleSeconds == 0;
    m_stimulationFinished = false;
    m_stimulationStarted = false;
    m_preambuleStarted = false;
    m_postambuleStarted = false;
    scenario.resetSteps();
    forgetSentOutputs();
}

// Each phase answers whether it has just ended, so that the next one starts on the same frame.
void Experiment_StartleReflex::runPhases(ExperimentScenario& scenario, Outputs& outputs)
{
    bool phaseEnded = true;
    while (phaseEnded) {
        const qint64 elapsedMs = clock()->monotonicMs() - m_phaseStartMs;
        if (!m_preambuleDone)
            phaseEnded = preambule(elapsedMs);
        else if (!m_stimulationFinished)
            phaseEnded = stimulation(scenario, elapsedMs, outputs);
        else
            phaseEnded = postambule(elapsedMs);
    }
}

bool Experiment_StartleReflex::preambule(qint64 elapsedMs)
{
    if (!m_preambuleStarted) {
        m_preambuleStarted = true;
        addLog(QStringLiteral("StartPreambule"));
        emit cyclesTextChanged(tr("Фаза преамбулы") + QLatin1Char(' ') + QString::number(m_preambuleSeconds) + tr("c"));
    }
    if (elapsedMs / 1000 < m_preambuleSeconds)
        return false;
    addLog(QStringLiteral("FinishPreambule"));
    m_preambuleDone = true;
    m_phaseStartMs = clock()->monotonicMs();
    return true;
}

bool Experiment_StartleReflex::postambule(qint64 elapsedMs)
{
    if (m_postambuleDone) {
        addLog(QStringLiteral("FinishScenario"));
        stop();
        return false;
    }
    if (!m_postambuleStarted) {
        m_postambuleStarted = true;
        addLog(QStringLiteral("StartPostambule"));
        emit cyclesTextChanged(tr("Фаза постамбулы") + QLatin1Char(' ') + QString::number(m_postambuleSeconds)
                               + tr("c"));
    }
    if (elapsedMs / 1000 < m_postambuleSeconds)
        return false;
    addLog(QStringLiteral("FinishPostambule"));
    m_postambuleDone = true;
    m_phaseStartMs = clock()->monotonicMs();
    return true;
}

// A scenario of no cycles still runs its first.
bool Experiment_StartleReflex::stimulation(ExperimentScenario& scenario, qint64 elapsedMs, Outputs& outputs)
{
    if (!m_stimulationStarted) {
        m_stimulationStarted = true;
        addLog(QStringLiteral("StartStimulation"));
    }
    if (m_cycleIndex < 0)
        beginCycle(scenario, 0);
    if (elapsedMs < scenario.cycleDurationMs) {
        evaluateSteps(scenario, elapsedMs, outputs);
        return false;
    }
    endStepsUnderWay();
    addLog(QStringLiteral("FinishCycle_") + cycleCounter(scenario));
    allOffBetweenCycles();
    m_phaseStartMs = clock()->monotonicMs();
    if (m_cycleIndex + 1 < scenario.cyclesAmount) {
        beginCycle(scenario, m_cycleIndex + 1);
        evaluateSteps(scenario, 0, outputs);
        return false;
    }
    ++m_cycleIndex;
    addLog(QStringLiteral("FinishStimulation"));
    m_stimulationFinished = true;
    return true;
}

void Experiment_StartleReflex::beginCycle(ExperimentScenario& scenario, int index)
{
    m_cycleIndex = index;
    scenario.resetSteps();
    addLog(QStringLiteral("BeginCycle_") + cycleCounter(scenario));
    emit cyclesTextChanged(tr("Цикл") + QLatin1Char(' ') + cycleCounter(scenario));
}

QString Experiment_StartleReflex::cycleCounter(const ExperimentScenario& scenario) const
{
    return QString::number(m_cycleIndex + 1) + QLatin1Char('/') + QString::number(scenario.cyclesAmount);
}

// Each channel's steps follow one another: a step's window opens after its delay and lasts its
// duration. A step's run-time mark (`done`) is set while its window runs.
void Experiment_StartleReflex::evaluateSteps(ExperimentScenario& scenario, qint64 elapsedMs, Outputs& outputs)
{
    for (const auto action : stepActions) {
        qint64 windowEnd = 0;
        for (ScenarioStep* step : *scenario.stepsFor(action)) {
            const qint64 windowStart = windowEnd + step->delayBeforeMs;
            windowEnd = windowStart + step->durationMs;
            if (elapsedMs < windowStart || elapsedMs >= windowEnd) {
                if (step->done)
                    addLog(endMark(action));
                step->done = false;
                continue;
            }
            if (!step->done)
                addLog(QStringLiteral("Start_") + actionKey(action));
            step->done = true;
            if (action == KestrumBaseDevice::Light) {
                outputs.light = int(step->value);
            } else if (action == KestrumBaseDevice::Sound) {
                outputs.sound = int(step->value);
                outputs.soundLeftMs = windowEnd - elapsedMs;
            } else {
                outputs.circuit = step->value;
                outputs.circuitLeftMs = windowEnd - elapsedMs;
            }
        }
    }
}

// A step cut short by its cycle's end, the end of stimulation or a stop ends where it is cut, so
// that its stimulus is counted and searched for a reaction like the others. The stop has ended
// the run before it reaches here, so the mark goes to the record itself.
void Experiment_StartleReflex::endStepsUnderWay()
{
    ExperimentScenario* scenario = runScenario();
    if (!scenario)
        return;
    auto* record = recordAs<Experiment_Stats>();
    for (const auto action : stepActions) {
        for (ScenarioStep* step : *scenario->stepsFor(action)) {
            if (step->done && record)
                record->addLog(int(elapsedMs()), endMark(action));
            step->done = false;
        }
    }
}

// Only what changes the chamber goes out, plus the renewals of a running grid or sound step;
// without device control nothing does, and everything is sent afresh when control returns.
void Experiment_StartleReflex::drive(const Outputs& outputs)
{
    if (!mayDriveDevice()) {
        forgetSentOutputs();
        return;
    }
    const qint64 nowMs = clock()->monotonicMs();
    sendLight(m_device, std::max(0, outputs.light));
    sendSound(m_device, std::max(0, outputs.sound), outputs.soundLeftMs, nowMs);
    sendCircuit(m_device, std::max(0.0, outputs.circuit), outputs.circuitLeftMs, nowMs);
}

void Experiment_StartleReflex::sendLight(KestrumBaseDevice* device, int level)
{
    if (!m_sentLight.needsSending(level, 0, 0))
        return;
    if (level > 0)
        device->setLight(KestrumBaseDevice::Both, level, -1);
    else
        device->lightOff();
    m_sentLight = {double(level), 0};
}

void Experiment_StartleReflex::sendSound(KestrumBaseDevice* device, int toneHz, qint64 leftMs, qint64 nowMs)
{
    if (!m_sentSound.needsSending(toneHz, nowMs, soundDeadManMs))
        return;
    if (toneHz > 0)
        device->setSound(KestrumBaseDevice::Both, toneHz, stimulusDuration(leftMs, soundDeadManMs));
    else
        device->soundOff();
    m_sentSound = {double(toneHz), nowMs};
}

void Experiment_StartleReflex::sendCircuit(KestrumBaseDevice* device, double milliamperes, qint64 leftMs, qint64 nowMs)
{
    if (!m_sentCircuit.needsSending(milliamperes, nowMs, gridDeadManMs))
        return;
    if (milliamperes > 0.0)
        device->setCircuit(milliamperes, stimulusDuration(leftMs, gridDeadManMs));
    else
        device->circuitOff();
    m_sentCircuit = {milliamperes, nowMs};
}

void Experiment_StartleReflex::allOffBetweenCycles()
{
    if (!mayDriveDevice())
        return;
    m_device->allOff();
    const qint64 nowMs = clock()->monotonicMs();
    m_sentLight = {0.0, nowMs};
    m_sentSound = {0.0, nowMs};
    m_sentCircuit = {0.0, nowMs};
}

void Experiment_StartleReflex::forgetSentOutputs()
{
    m_sentLight = {};
    m_sentSound = {};
    m_sentCircuit = {};
}
