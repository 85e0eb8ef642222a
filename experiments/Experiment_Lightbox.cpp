#include "Experiment_Lightbox.h"

#include "DashedPens.h"
#include "Experiment_LightBox_Stats.h"
#include "ParadigmFactory.h"
#include "ParadigmTexts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>

namespace {

// Stimuli are renewed on every frame and end by themselves a second after the frames stop.
constexpr int stimulusMs = 1000;
// SafeDelay counts frames of about this length.
constexpr int assumedFrameMs = 30;
constexpr double overlayMarginX = 12 / 100.0;
constexpr double overlayMarginY = 0.18;

} // namespace

Experiment_Lightbox::Experiment_Lightbox(const QString& baseFolder, QObject* parent)
    : BaseTimedExperiment(baseFolder, parent)
{
}

QString Experiment_Lightbox::typeKey() const
{
    return QStringLiteral("LightBox");
}

Experiment_Stats* Experiment_Lightbox::createStats(const QString& statsPath)
{
    return ParadigmFactory::loadedRecord<Experiment_LightBox_Stats>(statsPath, clock());
}

QList<ResultColumn> Experiment_Lightbox::resultColumns()
{
    return Experiment_LightBox_Stats::zoneColumns(
        QT_TRANSLATE_NOOP("Generic", "Time until first transition to the dark zone (if occured)"),
        QT_TRANSLATE_NOOP("Generic", "Denial shows whether the rodent didn't move to the dark zone"));
}

QString Experiment_Lightbox::iconPath()
{
    return QStringLiteral(":/Images/lightbox.svg");
}

BaseExperiment* Experiment_Lightbox::createInstance()
{
    return ParadigmFactory::settingsCopy<Experiment_Lightbox>(folder());
}

// The panel's own action: not held back by the manual-control switch.
void Experiment_Lightbox::manualAction()
{
    QMutexLocker lock(&m_runMutex);
    if (m_device && getLightBrightness() > 0)
        m_device->setLight(KestrumBaseDevice::KestrumSide(getLightBoxSide()), getLightBrightness(), stimulusMs);
}

bool Experiment_Lightbox::blobDecides() const
{
    return getUseDoor() || getDoorlessElectrocutionBehavior() == AllIn;
}

// By the centre, a band of a twelfth of the width around the middle still counts as the lit
// side; by the blob, the whole animal must be past the split.
bool Experiment_Lightbox::isInDangerZone(int frameWidth, QPoint center, const QRect& blob) const
{
    const bool litLeft = getLightBoxSide() == KestrumBaseDevice::LeftSide;
    if (!blobDecides()) {
        const int half = frameWidth / 2;
        const int band = frameWidth / 24;
        return litLeft ? center.x() > half + band : center.x() < half - band;
    }
    return litLeft ? blob.x() > frameWidth * m_allInFraction
                   : blob.x() + blob.width() < frameWidth * (1 - m_allInFraction);
}

void Experiment_Lightbox::processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                                           bool& inDangerZone)
{
    const bool inDanger = isInDangerZone(frameSize.width(), center, blobRect);
    inDangerZone = inDanger;
    dangerCounterMax = getSafeDelay() / assumedFrameMs;
    QStringList lines;
    if (isTriggered() && detected) {
        if (!isRunning()) {
            if (!inDanger)
                beginLightboxRun();
        } else {
            smoothDanger(inDanger);
            if (!followAnimal(lines))
                return;
        }
    }
    finishFrame(lines);
}

void Experiment_Lightbox::beginLightboxRun()
{
    auto* record = static_cast<Experiment_LightBox_Stats*>(openRun());
    if (!record)
        return;
    record->setMaxCycles(getMaxCycles());
    record->setCircuit(getCircuit());
    record->setSoundTone(getSoundTone());
    record->setMaxDurationSeconds(getMaxDuration());
    if (!beginRun())
        return;
    record->startSafeZone();
    m_dangerState = false;
    wasInDanger = false;
    dangerCounter = 0;
}

// The state turns dangerous half-way up the counter and safe only when it is back at 0.
void Experiment_Lightbox::smoothDanger(bool inDanger)
{
    dangerCounter = std::clamp(dangerCounter + (inDanger ? 1 : -1), 0, dangerCounterMax);
    if (!m_dangerState && dangerCounter >= dangerCounterMax / 2)
        m_dangerState = true;
    else if (m_dangerState && dangerCounter == 0)
        m_dangerState = false;
}

bool Experiment_Lightbox::followAnimal(QStringList& lines)
{
    auto* record = recordAs<Experiment_LightBox_Stats>();
    if (!record)
        return true;
    const bool entered = m_dangerState && !wasInDanger;
    if (!getUseDoor()) {
        if (!m_dangerState && wasInDanger) {
            record->startSafeZone();
            if (cycles >= getMaxCycles()) {
                stop();
                return false;
            }
        }
        if (entered)
            beginCycle(record);
        static const QString stimulationWord = tr("Электростимуляция");
        if (m_dangerState)
            lines << ParadigmTexts::stimulation(stimulationWord, getCircuit());
    } else if (entered && !m_safeUntil) {
        beginCycle(record);
        m_doorShockPhase = true;
    } else if (m_doorShockPhase) {
        if (!followShockPhase(record, lines))
            return false;
    } else if (m_safeUntil && !followSafePhase(lines)) {
        return false;
    }
    if (mayDriveDevice())
        stimulate(m_dangerState);
    wasInDanger = m_dangerState;
    return true;
}

void Experiment_Lightbox::beginCycle(Experiment_LightBox_Stats* record)
{
    record->addCycle();
    record->startDangerZone();
    ++cycles;
    qDebug() << "Next cycle" << cycles << getMaxCycles();
}

// The door stays closed for the whole phase, wherever the animal goes meanwhile.
bool Experiment_Lightbox::followShockPhase(Experiment_LightBox_Stats* record, QStringList& lines)
{
    const double remaining = std::max(0.0, getElectrocutionWithDoorDuration() - record->zoneElapsedMs() / 1000.0);
    if (remaining > 0) {
        static const QString untilEnd = tr("До окончания");
        lines << ParadigmTexts::coloured(QStringLiteral("red"), untilEnd + QLatin1Char(' ')
                                                                    + QString::number(remaining, 'f', 1)
                                                                    + ParadigmTexts::secondsSuffix());
        m_dangerState = true;
        return true;
    }
    m_dangerState = false;
    m_doorShockPhase = false;
    if (cycles < getMaxCycles()) {
        m_safeUntil = clock()->monotonicMs() + getSafeTimeWithDoorDuration() * 1000;
        record->startSafeZone();
    } else {
        stop();
    }
    return false;
}

// No stimulus during the safe phase, wherever the animal is.
bool Experiment_Lightbox::followSafePhase(QStringList& lines)
{
    const qint64 remaining = *m_safeUntil - clock()->monotonicMs();
    if (remaining < 1) {
        m_safeUntil.reset();
        return false;
    }
    m_dangerState = false;
    wasInDanger = false;
    static const QString safeTime = tr("Безопасное время");
    lines << ParadigmTexts::coloured(QStringLiteral("#3C0"), safeTime + QLatin1Char(' ')
                                                                 + QString::number(remaining / 1000.0, 'f', 1)
                                                                 + ParadigmTexts::secondsSuffix());
    return true;
}

void Experiment_Lightbox::stimulate(bool danger)
{
    if (danger) {
        m_device->setSound(KestrumBaseDevice::Both, getSoundTone(), stimulusMs);
        m_device->setCircuit(getCircuit(), stimulusMs);
    } else {
        m_device->soundOff();
        m_device->circuitOff();
    }
    if (getUseDoor())
        m_device->setDoorOpen(!danger);
}

// Every frame ends here but those that stop the run or change a door phase: the cycle line,
// and the lit side renewed.
void Experiment_Lightbox::finishFrame(QStringList& lines)
{
    static const QString cycleWord = tr("Цикл");
    if (getMaxCycles() > 1)
        lines << ParadigmTexts::coloured(QStringLiteral("#159"), cycleWord + QLatin1Char(' ') + QString::number(cycles)
                                                                     + QLatin1Char('/')
                                                                     + QString::number(getMaxCycles()));
    emit cyclesTextChanged(lines.join(QLatin1Char(' ')));
    if (mayDriveDevice() && getLightBrightness() > 0)
        m_device->setLight(KestrumBaseDevice::KestrumSide(getLightBoxSide()), getLightBrightness(), stimulusMs);
}

void Experiment_Lightbox::onStartStop(bool start)
{
    m_safeUntil.reset();
    m_doorShockPhase = false;
    const bool litLeft = getLightBoxSide() == KestrumBaseDevice::LeftSide;
    emit timeTextChanged(ParadigmTexts::runStatus(start, m_init, start ? ParadigmTexts::onSide(litLeft) : QString()));
    emit cyclesTextChanged(QString());
}

QImage Experiment_Lightbox::drawOverlay(QSize size)
{
    if (!m_init)
        return BaseExperiment::drawOverlay(size);
    QImage canvas = makeMaskCanvas(size);
    if (canvas.isNull())
        return canvas;
    const int width = size.width();
    const bool litLeft = getLightBoxSide() == KestrumBaseDevice::LeftSide;
    const double split = !blobDecides() ? 0.5 : (litLeft ? m_allInFraction : 1 - m_allInFraction);
    const int splitX = int(width * split);
    const int marginX = int(width * overlayMarginX);
    const int top = int(overlayMarginY * size.height());
    const int height = int((1 - 2 * overlayMarginY) * size.height());
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(2.0, 2.0);
    painter.setPen(DashedPens::red());
    painter.drawRect(litLeft ? QRect(splitX, top, width - marginX - splitX - 1, height)
                             : QRect(marginX, top, splitX - marginX, height));
    if (!(m_triggered && m_started)) {
        painter.setPen(m_triggered ? DashedPens::green() : DashedPens::blue());
        const QRect safe = litLeft ? QRect(marginX, top, splitX - marginX - 5, height)
                                   : QRect(splitX + 3, top, width - marginX - splitX - 4, height);
        painter.drawRect(safe);
        const QString label = m_triggered ? ParadigmTexts::runStatus(true, true)
                                          : QCoreApplication::translate("Generic", "Start experiment");
        drawCenteredLabel(&painter, label, safe, QColor(0, 0, 0, 208));
    }
    painter.end();
    return canvas;
}
