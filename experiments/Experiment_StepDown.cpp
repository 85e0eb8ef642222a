#include "Experiment_StepDown.h"

#include "Experiment_StepDown_Stats.h"
#include "ParadigmFactory.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <cmath>
#include <numbers>

namespace {

constexpr int roundPlatformPoints = 33;
constexpr double roundPlatformRadius = 0.3; // of the arena's height

// A rectangular platform's width and height as shares of the arena's.
struct RectShares
{
    double width;
    double height;
};

} // namespace

Experiment_StepDown::Experiment_StepDown(const QString& baseFolder, QObject* parent)
    : BasePassiveAvoidance(baseFolder, parent)
{
    connect(this, &Experiment_StepDown::changedSensitivity, this, &Experiment_StepDown::paintZoneMask,
            Qt::DirectConnection);
    connect(this, &Experiment_StepDown::changedPlatform, this, &Experiment_StepDown::paintZoneMask,
            Qt::DirectConnection);
    connect(this, &Experiment_StepDown::changedRectPlatformSide, this, &Experiment_StepDown::paintZoneMask,
            Qt::DirectConnection);
}

QString Experiment_StepDown::typeKey() const
{
    return QStringLiteral("StepDown");
}

Experiment_Stats* Experiment_StepDown::createStats(const QString& statsPath)
{
    return ParadigmFactory::loadedRecord<Experiment_StepDown_Stats>(statsPath, clock());
}

QString Experiment_StepDown::iconPath()
{
    return QStringLiteral(":/Images/step-down.svg");
}

BaseExperiment* Experiment_StepDown::createInstance()
{
    return ParadigmFactory::settingsCopy<Experiment_StepDown>(folder());
}

QString Experiment_StepDown::zoneDescription()
{
    static const QString onPlatform = QCoreApplication::translate("Generic", "on platform");
    return onPlatform;
}

bool Experiment_StepDown::showsSafeZoneWhileRunning()
{
    return true;
}

// The round platform is centred on the frame, not on the arena, and its size follows the
// arena's height only.
QPolygon Experiment_StepDown::platform(QSize frame) const
{
    const QRect inner = innerArena(frame);
    const double growth = 1 + (100 - getSensitivity()) * 0.07 / 100;
    if (getPlatform() == Platform_Round) {
        const double radius = inner.height() * roundPlatformRadius * growth;
        QPolygon outline;
        for (int i = 0; i < roundPlatformPoints; ++i) {
            const double angle = i * std::numbers::pi / 16;
            outline << QPoint(int(std::sin(angle) * radius) + frame.width() / 2,
                              int(std::cos(angle) * radius) + frame.height() / 2);
        }
        return outline;
    }
    const RectShares shares = getPlatform() == Platform_SmallRect ? RectShares{0.1, 0.35} : RectShares{0.14, 0.5};
    const double offset =
        getRectPlatformSide() == KestrumBaseDevice::LeftSide ? 0 : (1 - shares.width * growth) * inner.width();
    const QRect rect(int(inner.x() + offset), int(inner.height() * 0.5 * (1 - shares.height * growth) + inner.y()),
                     int(inner.width() * shares.width * growth), int(inner.height() * shares.height * growth));
    return QPolygon(rect, true);
}

void Experiment_StepDown::paintZoneMask()
{
    QMutexLocker lock(&m_runMutex);
    const QSize frame = m_frameSize;
    if (frame.width() < 1 || frame.height() < 1)
        return;
    const QPolygon safe = platform(frame);
    const QRect inner = innerArena(frame);
    setZones(frame, safe, safe, QPolygon(inner, true), inner);
}
