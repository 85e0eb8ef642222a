#include "TimeEdit.h"

namespace {

constexpr int MsPerHour = 3600000;
constexpr int MsPerDay = 24 * MsPerHour;

} // namespace

TimeEdit::TimeEdit(QWidget* parent)
    : QTimeEdit(parent)
{
    setWrapping(true);
}

void TimeEdit::setMaxMsAndAutoFormat(int maxMs, bool withMs)
{
    QString format = QStringLiteral("ss");
    if (withMs)
        format += QStringLiteral(".zzz");
    if (maxMs > 0)
        format.prepend(QStringLiteral("mm:"));
    if (maxMs > MsPerHour)
        format.prepend(QStringLiteral("hh:"));
    setDisplayFormat(format);
    // Beyond the day the time would wrap round to a small maximum.
    setMaximumTime(QTime::fromMSecsSinceStartOfDay(qBound(0, maxMs, MsPerDay - 1)));
}

void TimeEdit::setMaxTimeAndAutoFormat(const QTime& maxTime, bool withMs)
{
    setMaxMsAndAutoFormat(maxTime.isValid() ? maxTime.msecsSinceStartOfDay() : 0, withMs);
}

void TimeEdit::stepBy(int steps)
{
    const QTime current = time();
    const qint64 wanted = qint64(current.msecsSinceStartOfDay()) + sectionStepMs(steps);
    if (wanted <= 0) {
        setTime(QTime(0, 0));
        return;
    }
    const QTime next = QTime::fromMSecsSinceStartOfDay(int(qMin<qint64>(wanted, maximumTime().msecsSinceStartOfDay())));
    if (next != current)
        setTime(next);
}

qint64 TimeEdit::sectionStepMs(int steps) const
{
    switch (currentSection()) {
    case MSecSection:
        return 100LL * steps;
    case SecondSection:
        return 1000LL * steps;
    case MinuteSection:
        return 60000LL * steps;
    case HourSection:
        return qint64(MsPerHour) * steps;
    default:
        return 0;
    }
}
