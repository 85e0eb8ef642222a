#include "Experiment_ActiveAvoidance.h"

#include "Experiment_ActiveAvoidance_Stats.h"
#include "GlobalConsole.h"
#include "KestrumBaseDevice.h"
#include "LanguageContext.h"
#include "ParadigmTexts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaEnum>
#include <QMutexLocker>

#include <algorithm>

namespace {

constexpr int manualLightMs = 1000;
// A frame this long after a phase boundary, or less, comes from a camera that keeps up (down to
// five frames a second): where it shows the animal across, the animal crossed in the phase before
// that boundary. A later frame comes after a stall, and its crossing counts in the phase the
// schedule has reached.
constexpr qint64 lateFrameMs = 200;

// Words the settings editor and the views translate in these contexts.
[[maybe_unused]] const char* const displayWords[] = {
    QT_TRANSLATE_NOOP("Generic", "ActiveAvoidance"),
    QT_TRANSLATE_NOOP("Generic", "SoundToneLight"),
    QT_TRANSLATE_NOOP("Generic", "LightBrightness"),
    QT_TRANSLATE_NOOP("Generic", "SoundToneElectrocution"),
    QT_TRANSLATE_NOOP("Generic", "StartPhase"),
    QT_TRANSLATE_NOOP("Generic", "LightPhase"),
    QT_TRANSLATE_NOOP("Generic", "BreakPhase"),
    QT_TRANSLATE_NOOP("Generic", "ElectrocutionPhase"),
    QT_TRANSLATE_NOOP("Phase", "Start"),
    QT_TRANSLATE_NOOP("Phase", "Light"),
    QT_TRANSLATE_NOOP("Phase", "Electro"),
    QT_TRANSLATE_NOOP("Phase", "Break"),
};

int milliseconds(double seconds)
{
    return int(seconds * 1000);
}

// When a measure ended by a frame (or the stop) at t is counted to: the chamber switches each
// stimulus off by itself at the end of the phase it was armed for.
qint64 countedEnd(qint64 boundaryMs, qint64 t)
{
    return std::min(t, boundaryMs);
}

QString phaseKey(Experiment_ActiveAvoidance::Phase phase)
{
    return QLatin1String(QMetaEnum::fromType<Experiment_ActiveAvoidance::Phase>().valueToKey(phase));
}

} // namespace

Experiment_ActiveAvoidance::Experiment_ActiveAvoidance(const QString& baseFolder, QObject* parent)
    : BaseExperiment(baseFolder, parent)
{
    takeSettings();
    connect(this, &AbstractSettings::propertyChanged, this, &Experiment_ActiveAvoidance::takeSettings);
    connect(this, &Experiment_ActiveAvoidance::changedCircuit, this, &Experiment_ActiveAvoidance::onCircuitChanged);
}

QString Experiment_ActiveAvoidance::typeKey() const
{
    return QStringLiteral("ActiveAvoidance");
}

bool Experiment_ActiveAvoidance::manualActionBeforeBackground()
{
    return false;
}

bool Experiment_ActiveAvoidance::singleReferenceFrame()
{
    return false;
}

void Experiment_ActiveAvoidance::prepareBackgroundLight()
{
    manualAction();
}

Experiment_Stats* Experiment_ActiveAvoidance::createStats(const QString& statsPath)
{
    auto* stats = new Experiment_ActiveAvoidance_Stats(statsPath, true);
    stats->reload();
    return stats;
}

QList<ResultColumn> Experiment_ActiveAvoidance::resultColumns()
{
    const QString seconds = ParadigmTexts::secondsSuffix();
    return {
        ResultColumn(QStringLiteral("Title"), false, ResultColumn::Text, generic(QT_TRANSLATE_NOOP("Generic", "Title")),
                     QString(), QString()),
        ResultColumn(QStringLiteral("AverageReactionTime"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T react.")),
                     generic(QT_TRANSLATE_NOOP(
                         "Generic", "Reaction time - time from the beginning of light stimulation either until "
                                    "rodent reached the other side or until cycle ending")),
                     seconds),
        ResultColumn(QStringLiteral("CyclesCount"), true, ResultColumn::Count,
                     generic(QT_TRANSLATE_NOOP("Generic", "N cycles")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Amount of cycles")), QString()),
        ResultColumn(QStringLiteral("ElectrocutionCount"), true, ResultColumn::Count,
                     generic(QT_TRANSLATE_NOOP("Generic", "N el.stim.")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Amount of times the rodent reached electrocution phase")),
                     QString()),
        ResultColumn(QStringLiteral("DenialCount"), true, ResultColumn::Count,
                     generic(QT_TRANSLATE_NOOP("Generic", "N denials")),
                     generic(QT_TRANSLATE_NOOP("Generic",
                                               "Amount of denials - the rodent didn't move from one side to another")),
                     QString()),
        ResultColumn(QStringLiteral("AverageLightTime"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T avg.light stim.")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Average time (per cycle) of light stimulation")), seconds),
        ResultColumn(QStringLiteral("AverageElectrocutionTime"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T avg.el.stim.")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Average time (per cycle) of electric stimulation")),
                     seconds),
        ResultColumn(QStringLiteral("ElectrocutionTime"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T el.stim.")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Total time of electric stimulation")), seconds),
        ResultColumn(QStringLiteral("Rodent"), false, ResultColumn::Text,
                     generic(QT_TRANSLATE_NOOP("Generic", "Rodent")), QString(), QString()),
        ResultColumn(QStringLiteral("Comment"), false, ResultColumn::Text,
                     generic(QT_TRANSLATE_NOOP("Generic", "Comment")), QString(), QString()),
    };
}

QString Experiment_ActiveAvoidance::iconPath()
{
    return QStringLiteral(":/Images/active-avoidance.svg");
}

BaseExperiment* Experiment_ActiveAvoidance::createInstance()
{
    auto* copy = new Experiment_ActiveAvoidance(folder());
    copy->loadSettingsReadOnly();
    return copy;
}

void Experiment_ActiveAvoidance::manualAction()
{
    QMutexLocker lock(&m_runMutex);
    const int brightness = m_settings.brightness;
    if (brightness < 1 || !mayDriveDevice())
        return;
    qDebug() << "ENLIGHTEN" << brightness;
    m_device->setLight(KestrumBaseDevice::Both, brightness, manualLightMs);
}

void Experiment_ActiveAvoidance::takeSettings()
{
    QMutexLocker lock(&m_runMutex);
    m_settings = {getCyclesCount(),
                  getCircuit(),
                  getLightBrightness(),
                  getSoundToneLight(),
                  getSoundToneElectrocution(),
                  milliseconds(getStartPhase()),
                  milliseconds(getLightPhase()),
                  milliseconds(getBreakPhase()),
                  milliseconds(getElectrocutionPhase())};
}

// The current of an unescaped shock follows the setting at once, for the rest of the phase
// only: the chamber's own off-time never lets it outlast the phase.
void Experiment_ActiveAvoidance::onCircuitChanged()
{
    QMutexLocker lock(&m_runMutex);
    takeSettings();
    if (!isRunning() || !isTriggered())
        return;
    const qint64 remainingMs = m_cycleEndMs - cycleTimeMs();
    if (m_shockOn && remainingMs > 0)
        stimulate([this, remainingMs](KestrumBaseDevice* device) {
            device->setCircuit(m_settings.circuit, int(remainingMs));
        });
    updateCyclesText();
}

void Experiment_ActiveAvoidance::processDetection(bool detected, QSize frameSize, QPoint center, const QRect&,
                                                  bool& inDangerZone)
{
    if (!isTriggered())
        return;
    if (!isRunning() && (!detected || !startRun())) {
        inDangerZone = false;
        return;
    }
    // A frame without the animal says nothing about its side: the last known side stands.
    if (detected)
        m_rodentSide = center.x() >= frameSize.width() / 2 ? 1 : 0;
    // A frame on time shows where the animal was as its phase ended: it crossed in that phase,
    // and the next one begins without the stimulus it would have switched off at once. After a
    // stall of the frames the phases the schedule has passed come first.
    if (m_phase != None && cycleTimeMs() - phaseEndMs(m_phase) <= lateFrameMs)
        reactIfAcross();
    advancePhases();
    reactIfAcross();
    inDangerZone = m_lit && !m_reacted;
}

bool Experiment_ActiveAvoidance::isAcross() const
{
    return m_lit && !m_reacted && m_rodentSide != m_lightSide;
}

void Experiment_ActiveAvoidance::reactIfAcross()
{
    if (isAcross())
        react(cycleTimeMs());
}

bool Experiment_ActiveAvoidance::startRun()
{
    if (!openRun())
        return false;
    Experiment_ActiveAvoidance_Stats* stats = record();
    stats->setCircuit(m_settings.circuit);
    stats->setSoundToneLight(m_settings.toneLight);
    stats->setSoundToneElectrocution(m_settings.toneElectrocution);
    stats->setTotalCyclesCount(m_settings.cycles);
    stats->setCyclesCount(0);
    m_completedCycles = 0;
    fixPhaseLengths();
    m_phase = None;
    m_reacted = false;
    m_lit = false;
    m_shockOn = false;
    m_outputsOn = false;
    if (m_device)
        m_device->lightOff();
    if (!m_background2.isNull() && !m_background2.save(m_runFolder + QStringLiteral("background2.jpg")))
        GlobalConsole::writeItem(
            QStringLiteral("The lit background of the run %1 could not be saved").arg(m_runFolder.toHtmlEscaped()),
            QStringLiteral("Error"));
    if (!beginRun())
        return false;
    m_cycleStartMs = clock()->monotonicMs();
    updateCyclesText();
    return true;
}

void Experiment_ActiveAvoidance::fixPhaseLengths()
{
    m_lightBeginMs = m_settings.startPhaseMs;
    m_breakBeginMs = m_lightBeginMs + m_settings.lightPhaseMs;
    m_electroBeginMs = m_breakBeginMs + m_settings.breakPhaseMs;
    m_cycleEndMs = m_electroBeginMs + m_settings.electroPhaseMs;
}

qint64 Experiment_ActiveAvoidance::cycleTimeMs() const
{
    return clock()->monotonicMs() - m_cycleStartMs;
}

// On the cycle's time; None ends where the cycle begins.
qint64 Experiment_ActiveAvoidance::phaseEndMs(Phase phase) const
{
    switch (phase) {
    case Start:
        return m_lightBeginMs;
    case Light:
        return m_breakBeginMs;
    case Break:
        return m_electroBeginMs;
    case Electro:
        return m_cycleEndMs;
    case None:
        break;
    }
    return 0;
}

// A frame passes every phase that ended before it, one after another.
void Experiment_ActiveAvoidance::advancePhases()
{
    if (m_phase == None)
        beginCycle();
    for (qint64 t = cycleTimeMs(); t >= phaseEndMs(m_phase); t = cycleTimeMs()) {
        if (m_phase != Electro) {
            if (m_phase == Light)
                leaveLight(t);
            setPhase(Phase(m_phase + 1), t);
        } else if (endCycle(t)) {
            beginCycle();
        } else {
            return;
        }
    }
}

// A cycle begins on the frame that ends the one before, whenever that frame comes.
void Experiment_ActiveAvoidance::beginCycle()
{
    m_reacted = false;
    m_lit = false;
    m_shockOn = false;
    m_cycleStartMs = clock()->monotonicMs();
    setPhase(Start, 0);
}

// A phase of no length is passed through at once and not logged. One that ended before the frame
// entering it, every phase after a reaction, and those after a light that never came on are
// passed without their stimulus and logged as skipped: there is no shock without its warning, and
// none for an animal the entering frame shows across.
void Experiment_ActiveAvoidance::setPhase(Phase phase, qint64 t)
{
    m_phase = phase;
    switchOff();
    if (phaseEndMs(phase) == phaseEndMs(Phase(phase - 1)))
        return;
    const bool withheld = t >= phaseEndMs(phase) || (phase > Light && (m_reacted || !m_lit || isAcross()));
    if (!withheld)
        giveStimulus(phase, t);
    addLog(QStringLiteral("Phase") + phaseKey(phase) + (withheld ? QStringLiteral("Skipped") : QString()));
    updateCyclesText();
}

// Only what switches something on is sent: everything was switched off on entering the phase.
// Each stimulus is armed up to its phase's end only, so that a stall of the frames cannot carry
// it into the next phase.
void Experiment_ActiveAvoidance::giveStimulus(Phase phase, qint64 t)
{
    const int remainingMs = int(phaseEndMs(phase) - t);
    if (phase == Light) {
        m_lit = true;
        m_lightOnMs = t;
        m_lightSide = m_rodentSide;
        record()->addCycle();
        const auto side = KestrumBaseDevice::KestrumSide(m_lightSide);
        stimulate([this, side, remainingMs](KestrumBaseDevice* device) {
            if (m_settings.brightness > 0)
                device->setLight(side, m_settings.brightness, remainingMs);
            if (m_settings.toneLight > 0)
                device->setSound(side, m_settings.toneLight, remainingMs);
        });
    } else if (phase == Electro) {
        m_shockOn = true;
        m_shockOnMs = t;
        const auto side = KestrumBaseDevice::KestrumSide(m_lightSide);
        stimulate([this, side, remainingMs](KestrumBaseDevice* device) {
            if (m_settings.circuit > 0.0)
                device->setCircuit(m_settings.circuit, remainingMs);
            if (m_settings.toneElectrocution > 0)
                device->setSound(side, m_settings.toneElectrocution, remainingMs);
        });
    }
}

// An unavoided light lasted from the frame that switched it on up to the frame that ended it, but
// no longer than its phase.
void Experiment_ActiveAvoidance::leaveLight(qint64 t)
{
    if (m_lit && !m_reacted)
        record()->addLightTime(int(countedEnd(m_breakBeginMs, t) - m_lightOnMs));
}

// Answers whether another cycle follows.
bool Experiment_ActiveAvoidance::endCycle(qint64 t)
{
    ++m_completedCycles;
    closeCycle(t);
    if (m_completedCycles < m_settings.cycles)
        return true;
    switchOff();
    stop();
    return false;
}

// What the cycle still measures ends at t, or at the cycle's end when t is past it: an unavoided
// light, a shock not escaped (a denial) and the reaction time. A cycle whose light never came on
// was no trial and measured nothing.
void Experiment_ActiveAvoidance::closeCycle(qint64 t)
{
    if (m_lit && !m_reacted) {
        Experiment_ActiveAvoidance_Stats* stats = record();
        if (m_phase == Light)
            leaveLight(t);
        if (m_shockOn)
            stats->setDenialCount(stats->getDenialCount() + 1);
        endShock(t);
        stats->addReactionTime(int(countedEnd(m_cycleEndMs, t) - m_lightOnMs));
    }
    m_lit = false;
}

// A shock lasted from the frame that switched it on up to t, but no longer than its phase.
void Experiment_ActiveAvoidance::endShock(qint64 t)
{
    if (m_shockOn)
        record()->addElectrocutionTime(int(countedEnd(m_cycleEndMs, t) - m_shockOnMs));
    m_shockOn = false;
}

void Experiment_ActiveAvoidance::react(qint64 t)
{
    switchOff();
    if (m_phase == Light)
        leaveLight(t);
    endShock(t);
    m_reacted = true;
    record()->addReactionTime(int(t - m_lightOnMs));
    addLog(QStringLiteral("Reaction"));
    updateCyclesText();
}

// Only what this run switched on needs switching off (the run starts with everything off), and
// it is switched off even after the panel has taken the device over.
void Experiment_ActiveAvoidance::switchOff()
{
    if (!m_device || !m_outputsOn)
        return;
    m_device->allOff();
    m_outputsOn = false;
}

void Experiment_ActiveAvoidance::stimulate(const std::function<void(KestrumBaseDevice*)>& command)
{
    if (!mayDriveDevice())
        return;
    command(m_device);
    m_outputsOn = true;
}

void Experiment_ActiveAvoidance::updateCyclesText()
{
    QString text = generic(QT_TRANSLATE_NOOP("Generic", "Cycle")) + QLatin1Char(' ')
                   + QString::number(m_completedCycles + 1) + QLatin1Char('/') + QString::number(m_settings.cycles);
    if (m_phase == None) {
        emit cyclesTextChanged(text);
        return;
    }
    text += QStringLiteral(": ");
    if (m_reacted)
        text += generic(QT_TRANSLATE_NOOP("Generic", "Avoided"));
    else
        text += QCoreApplication::translate("Phase", phaseKey(m_phase).toLatin1().constData());
    if (m_shockOn)
        text += ParadigmTexts::stimulation(QString(), m_settings.circuit);
    emit cyclesTextChanged(text);
}

// Taking the device ends the cycle under way as a stop would; when it comes back, a whole cycle
// begins on the next frame. A cycle taken before its light was no trial and is run again.
void Experiment_ActiveAvoidance::onDeviceTaken()
{
    switchOff();
    const bool anotherCycle = !m_lit || endCycle(cycleTimeMs());
    m_phase = None;
    m_reacted = false;
    if (anotherCycle)
        updateCyclesText();
}

void Experiment_ActiveAvoidance::onStartStop(bool start)
{
    if (!start && m_init && record())
        finishRecord();
    emit timeTextChanged(ParadigmTexts::runStatus(start, m_init));
}

// The stop closes the cycle under way as the per-cycle table closes it, so that the summary
// averages the very cycles the table lists.
void Experiment_ActiveAvoidance::finishRecord()
{
    Experiment_ActiveAvoidance_Stats* stats = record();
    const qint64 elapsed = elapsedMs();
    closeCycle(cycleTimeMs());
    stats->addLog(int(elapsed), QStringLiteral("Finished"));
    stats->setDurationMs(int(elapsed));
    emit cyclesTextChanged(QString());
}

Experiment_ActiveAvoidance_Stats* Experiment_ActiveAvoidance::record() const
{
    return recordAs<Experiment_ActiveAvoidance_Stats>();
}
