#include "Experiment_ConflictTest.h"

#include "Experiment_ConflictTest_Stats.h"
#include "ParadigmFactory.h"
#include "ParadigmTexts.h"

#include <QMutexLocker>

namespace {

// With AllIn the punished strip is narrower than the one drawn, so the animal has to go
// further in before it is punished.
constexpr double allInShare = 0.9;
constexpr int safeZoneGap = 2;

} // namespace

Experiment_ConflictTest::Experiment_ConflictTest(const QString& baseFolder, QObject* parent)
    : BasePassiveAvoidance(baseFolder, parent)
{
    connect(this, &Experiment_ConflictTest::changedDispenserSide, this, &Experiment_ConflictTest::paintZoneMask,
            Qt::DirectConnection);
    connect(this, &Experiment_ConflictTest::changedDispenserArea, this, &Experiment_ConflictTest::paintZoneMask,
            Qt::DirectConnection);
}

QString Experiment_ConflictTest::typeKey() const
{
    return QStringLiteral("ConflictTest");
}

Experiment_Stats* Experiment_ConflictTest::createStats(const QString& statsPath)
{
    return ParadigmFactory::loadedRecord<Experiment_ConflictTest_Stats>(statsPath, clock());
}

QString Experiment_ConflictTest::iconPath()
{
    return QStringLiteral(":/Images/vogel.svg");
}

BaseExperiment* Experiment_ConflictTest::createInstance()
{
    return ParadigmFactory::settingsCopy<Experiment_ConflictTest>(folder());
}

// The safe zone lies opposite the dispenser.
QString Experiment_ConflictTest::zoneDescription()
{
    return ParadigmTexts::onSide(getDispenserSide() == KestrumBaseDevice::RightSide);
}

Experiment_ConflictTest::Strip Experiment_ConflictTest::strip(QSize frame, double share) const
{
    const QRect inner = innerArena(frame);
    const int width = int(inner.width() * share);
    const bool left = getDispenserSide() == KestrumBaseDevice::LeftSide;
    Strip strip;
    strip.dispenser = QRect(inner.x() + (left ? 0 : inner.width() - width), inner.y(), width, inner.height());
    strip.safe = QRect(left ? inner.x() + width + safeZoneGap : inner.x(), inner.y(),
                       inner.width() - width - safeZoneGap, inner.height());
    return strip;
}

// The mask follows the punished strip, the outlines the nominal one.
void Experiment_ConflictTest::paintZoneMask()
{
    QMutexLocker lock(&m_runMutex);
    const QSize frame = m_frameSize;
    if (frame.width() < 1 || frame.height() < 1)
        return;
    const double share = getDispenserArea() / 100.0;
    const Strip punished = strip(frame, getElectrocutionBehavior() == AllIn ? share * allInShare : share);
    const Strip drawn = strip(frame, share);
    setZones(frame, QPolygon(punished.safe, true), QPolygon(drawn.safe, true), QPolygon(drawn.dispenser, true),
             drawn.safe);
}
