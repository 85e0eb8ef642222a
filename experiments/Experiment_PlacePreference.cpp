#include "Experiment_PlacePreference.h"

#include "Experiment_PlacePreference_Stats.h"
#include "GlobalConsole.h"
#include "KestrumBaseDevice.h"
#include "LanguageContext.h"
#include "ParadigmFactory.h"
#include "ParadigmTexts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutexLocker>

namespace {

// The lights are renewed on every frame and go out by themselves a second after the frames stop.
constexpr int lightMs = 1000;
constexpr int stepTimeWindow = 100;

// Frames without the animal count too: the time around them is credited to no side.
void recordFrame(Experiment_PlacePreference_Stats& record, bool detected, bool right)
{
    if (!detected)
        record.onUnseenFrame();
    else if (right)
        record.onRightFrame();
    else
        record.onLeftFrame();
}

} // namespace

Experiment_PlacePreference::Experiment_PlacePreference(const QString& baseFolder, QObject* parent)
    : BaseTimedExperiment(baseFolder, parent)
{
}

QString Experiment_PlacePreference::typeKey() const
{
    return QStringLiteral("PlacePreference");
}

Experiment_Stats* Experiment_PlacePreference::createStats(const QString& statsPath)
{
    return ParadigmFactory::loadedRecord<Experiment_PlacePreference_Stats>(statsPath, clock());
}

Experiment_Stats* Experiment_PlacePreference::createRunStats(const QString& statsPath)
{
    return ParadigmFactory::loadedRecord<Experiment_PlacePreference_Stats>(statsPath, clock(), false);
}

QList<ResultColumn> Experiment_PlacePreference::resultColumns()
{
    return {
        ResultColumn(QStringLiteral("Title"), false, ResultColumn::Text, generic(QT_TRANSLATE_NOOP("Generic", "Title")),
                     QString(), QString()),
        ResultColumn(QStringLiteral("DurationMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "Duration")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Total elapsed time on both sides")), QString()),
        ResultColumn(QStringLiteral("LeftSideTimeMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T left")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Elapsed time on the left side")), QString()),
        ResultColumn(QStringLiteral("RightSideTimeMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T right")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Elapsed time on the right side")), QString()),
        ResultColumn(QStringLiteral("Rodent"), false, ResultColumn::Text,
                     generic(QT_TRANSLATE_NOOP("Generic", "Rodent")), QString(), QString()),
        ResultColumn(QStringLiteral("Comment"), false, ResultColumn::Text,
                     generic(QT_TRANSLATE_NOOP("Generic", "Comment")), QString(), QString()),
    };
}

QString Experiment_PlacePreference::iconPath()
{
    return QStringLiteral(":/Images/place-preference.svg");
}

BaseExperiment* Experiment_PlacePreference::createInstance()
{
    return ParadigmFactory::settingsCopy<Experiment_PlacePreference>(folder());
}

// The panel's own action: not held back by the manual-control switch.
void Experiment_PlacePreference::manualAction()
{
    QMutexLocker lock(&m_runMutex);
    if (m_device)
        m_device->setLightLevels(getLightBrightnessLeft(), getLightBrightnessRight(), lightMs);
}

void Experiment_PlacePreference::processDetection(bool detected, QSize frameSize, QPoint center, const QRect&, bool&)
{
    QElapsedTimer stepTime;
    stepTime.start();
    const bool right = Experiment_PlacePreference_Stats::isOnRightSide(center.x(), frameSize.width());
    if (isTriggered()) {
        if (detected && !isRunning())
            beginPlaceRun();
        if (auto* record = recordAs<Experiment_PlacePreference_Stats>(); record && isRunning())
            recordFrame(*record, detected, right);
    }
    if (mayDriveDevice())
        m_device->setLightLevels(getLightBrightnessLeft(), getLightBrightnessRight(), lightMs);
    GlobalConsole::countAverage(QStringLiteral("ProcessDetection"), stepTime.nsecsElapsed() / 1e6, stepTimeWindow);
}

// The record is saved once now, so that the run folder holds it from the start.
void Experiment_PlacePreference::beginPlaceRun()
{
    auto* record = openRun();
    if (!record)
        return;
    record->setMaxDurationSeconds(getMaxDuration());
    if (saveRunRecord())
        beginRun();
}

void Experiment_PlacePreference::onStartStop(bool start)
{
    emit timeTextChanged(ParadigmTexts::runStatus(start, m_init));
}
