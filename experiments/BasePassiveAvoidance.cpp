#include "BasePassiveAvoidance.h"

#include "DashedPens.h"
#include "Experiment_LightBox_Stats.h"
#include "KestrumBaseDevice.h"
#include "ParadigmFactory.h"
#include "ParadigmTexts.h"

#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>

namespace {

// Stimuli are renewed on every frame and end by themselves a second after the frames stop.
constexpr int stimulusMs = 1000;
const QColor labelFill(0, 0, 0, 208);

} // namespace

BasePassiveAvoidance::BasePassiveAvoidance(const QString& baseFolder, QObject* parent)
    : BaseTimedExperiment(baseFolder, parent)
{
    connect(this, &BaseExperiment::frameSizeChanged, this, &BasePassiveAvoidance::paintZoneMask, Qt::DirectConnection);
    connect(this, &BasePassiveAvoidance::changedElectrocutionBehavior, this, &BasePassiveAvoidance::paintZoneMask,
            Qt::DirectConnection);
}

bool BasePassiveAvoidance::showsSafeZoneWhileRunning()
{
    return false;
}

QList<ResultColumn> BasePassiveAvoidance::resultColumns()
{
    return Experiment_LightBox_Stats::zoneColumns(
        QT_TRANSLATE_NOOP("Generic", "Time until first transition to the dispenser zone (if occured)"),
        QT_TRANSLATE_NOOP("Generic", "Denial shows whether the rodent didn't visit dispenser zone"));
}

// The panel's own action: not held back by the manual-control switch.
void BasePassiveAvoidance::manualAction()
{
    QMutexLocker lock(&m_runMutex);
    if (m_device && getLightBrightness() > 0)
        m_device->setLight(KestrumBaseDevice::Both, getLightBrightness(), stimulusMs);
}

QRect BasePassiveAvoidance::innerArena(QSize frame)
{
    const int marginX = int(frame.width() * 12 / 100.0);
    const int marginY = int(frame.height() * 18 / 100.0);
    return QRect(marginX, marginY, frame.width() - 2 * marginX, frame.height() - 2 * marginY);
}

void BasePassiveAvoidance::setZones(QSize frame, const QPolygon& maskSafe, const QPolygon& safe, const QPolygon& danger,
                                    QRect label)
{
    QImage mask(frame, QImage::Format_Grayscale8);
    mask.fill(Qt::white);
    QPainter painter(&mask);
    painter.fillRect(innerArena(frame), Qt::black);
    QPainterPath safePath;
    safePath.addPolygon(maskSafe);
    painter.fillPath(safePath, Qt::white);
    painter.end();
    QMutexLocker lock(&m_runMutex);
    m_zoneMask = mask;
    m_safePolygon = safe;
    m_dangerPolygon = danger;
    m_labelRect = label;
}

// The first row and column are never the danger zone, nor is anything off the mask.
bool BasePassiveAvoidance::isInDangerZone(QPoint center) const
{
    return center.x() >= 1 && center.y() >= 1 && center.x() < m_zoneMask.width() && center.y() < m_zoneMask.height()
           && m_zoneMask.constScanLine(center.y())[center.x()] == 0;
}

Experiment_Stats* BasePassiveAvoidance::createRunStats(const QString& statsPath)
{
    return ParadigmFactory::loadedRecord<Experiment_LightBox_Stats>(statsPath, clock());
}

void BasePassiveAvoidance::processDetection(bool detected, QSize, QPoint center, const QRect&, bool& inDangerZone)
{
    const bool inDanger = isInDangerZone(center);
    inDangerZone = inDanger;
    QStringList texts;
    if (isTriggered() && detected) {
        if (isRunning())
            followAnimal(inDanger, texts);
        else if (!inDanger)
            beginZoneRun();
    }
    emit cyclesTextChanged(texts.join(QLatin1Char(' ')));
    if (mayDriveDevice() && getLightBrightness() > 0)
        m_device->setLight(KestrumBaseDevice::Both, getLightBrightness(), stimulusMs);
}

void BasePassiveAvoidance::beginZoneRun()
{
    auto* record = static_cast<Experiment_LightBox_Stats*>(openRun());
    if (!record)
        return;
    record->setCircuit(getCircuit());
    record->setSoundTone(getSoundToneForElectro());
    record->setMaxDurationSeconds(getMaxDuration());
    if (!beginRun())
        return;
    record->startSafeZone();
    m_dangerSince.reset();
}

// The grace time counts as safe: the danger stay, its count and the latent time all begin when
// it has passed. The texts say what the animal gets: the stimulus line only when it is sent.
void BasePassiveAvoidance::followAnimal(bool inDanger, QStringList& texts)
{
    auto* record = recordAs<Experiment_LightBox_Stats>();
    if (!record)
        return;
    const qint64 now = clock()->monotonicMs();
    if (!inDanger) {
        record->startSafeZone();
        m_dangerSince.reset();
    } else if (!m_dangerSince) {
        m_dangerSince = now + getSafeIntervalMs();
    }
    const bool punish = inDanger && *m_dangerSince < now;
    if (punish && record->isInSafeZone()) {
        record->addCycle();
        record->startDangerZone();
    }
    static const QString inDispenserZone = tr("В зоне диспенсера");
    static const QString stimulationWord = tr("Электростимуляция");
    if (inDanger && !punish)
        texts << ParadigmTexts::coloured(QStringLiteral("#FC0"), inDispenserZone);
    if (!mayDriveDevice())
        return;
    if (!inDanger)
        stimulate(false);
    if (punish) {
        stimulate(true);
        texts << ParadigmTexts::stimulation(stimulationWord, getCircuit());
    }
}

void BasePassiveAvoidance::stimulate(bool punish)
{
    if (!punish) {
        m_device->soundOff();
        m_device->circuitOff();
        return;
    }
    if (getSoundToneForElectro() > 0)
        m_device->setSound(KestrumBaseDevice::Both, getSoundToneForElectro(), stimulusMs);
    m_device->setCircuit(getCircuit(), stimulusMs);
}

void BasePassiveAvoidance::onStartStop(bool start)
{
    m_dangerSince.reset();
    emit timeTextChanged(ParadigmTexts::runStatus(start, m_init, start ? zoneDescription() : QString()));
    emit cyclesTextChanged(QString());
}

QImage BasePassiveAvoidance::drawOverlay(QSize size)
{
    if (!m_init)
        return BaseExperiment::drawOverlay(size);
    QImage canvas = makeMaskCanvas(size);
    if (canvas.isNull())
        return canvas;
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(2.0, 2.0);
    drawZones(painter);
    painter.end();
    return canvas;
}

void BasePassiveAvoidance::drawZones(QPainter& painter)
{
    QMutexLocker lock(&m_runMutex);
    if (!(m_triggered && m_started)) {
        painter.setPen(m_triggered ? DashedPens::green() : DashedPens::blue());
        painter.drawPolygon(m_safePolygon);
        static const QString startExperiment = tr("Начните эксперимент");
        const QString label =
            m_triggered ? ParadigmTexts::runStatus(true, true) + QLatin1Char(' ') + zoneDescription() : startExperiment;
        drawCenteredLabel(&painter, label, m_labelRect, labelFill);
    }
    painter.setPen(DashedPens::red());
    painter.drawPolygon(m_dangerPolygon);
    if (showsSafeZoneWhileRunning()) {
        painter.setPen(DashedPens::green());
        painter.drawPolygon(m_safePolygon);
    }
}
