#include "Experiment_LightBox_Stats.h"

#include "LanguageContext.h"
#include "TextHelper.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

QString stayEntry(int ms)
{
    return QString::number(ms) + QStringLiteral(";\r\n");
}

} // namespace

Experiment_LightBox_Stats::Experiment_LightBox_Stats(const QString& statsFilePath, bool autoSave, QObject* parent,
                                                     Clock* clock)
    : Experiment_Stats(statsFilePath, autoSave, parent)
    , m_clock(clock)
{
}

void Experiment_LightBox_Stats::start()
{
    m_runStartMs = m_clock->monotonicMs();
}

void Experiment_LightBox_Stats::startSafeZone()
{
    if (!m_inSafeZone || !m_zoneSince)
        openStay(true);
}

void Experiment_LightBox_Stats::startDangerZone()
{
    if (m_inSafeZone)
        openStay(false);
}

void Experiment_LightBox_Stats::openStay(bool safe)
{
    closeStay();
    m_zoneSince = countedNowMs();
    m_inSafeZone = safe;
    qDebug() << *m_zoneSince << (safe ? "Start safe zone" : "Start danger zone");
}

void Experiment_LightBox_Stats::addCycle()
{
    setCycles(getCycles() + 1);
}

qint64 Experiment_LightBox_Stats::zoneElapsedMs() const
{
    return countedNowMs() - m_zoneSince.value_or(countedNowMs());
}

qint64 Experiment_LightBox_Stats::countedNowMs() const
{
    return m_heldSince.value_or(m_clock->monotonicMs());
}

void Experiment_LightBox_Stats::holdCounting(bool held)
{
    if (held) {
        m_heldSince = m_heldSince.value_or(m_clock->monotonicMs());
        return;
    }
    if (m_heldSince && m_zoneSince)
        *m_zoneSince += m_clock->monotonicMs() - *m_heldSince;
    m_heldSince.reset();
}

// The latent time is the first safe stay: the time the animal took to enter the danger zone.
void Experiment_LightBox_Stats::closeStay()
{
    if (!m_zoneSince)
        return;
    const int ms = int(countedNowMs() - *m_zoneSince);
    m_zoneSince.reset();
    if (m_inSafeZone) {
        if (getSafeZoneTimeMs() == 0)
            setLatentTimeMs(ms);
        setSafeZoneTimeMs(getSafeZoneTimeMs() + ms);
        setSafeZoneTimes(getSafeZoneTimes() + stayEntry(ms));
    } else {
        setDangerZoneTimeMs(getDangerZoneTimeMs() + ms);
        setDangerZoneTimes(getDangerZoneTimes() + stayEntry(ms));
    }
}

// The track file is closed, never removed: Track.tdata is the run's frame-by-frame result.
void Experiment_LightBox_Stats::finish()
{
    closeTrackFile();
    setDurationMs(int(m_clock->monotonicMs() - m_runStartMs));
    closeStay();
    if (getDangerZoneTimeMs() == 0)
        setRejected(true);
}

bool Experiment_LightBox_Stats::knowsBeforeStop(const QString& name) const
{
    if (name == QLatin1String("LatentTimeMs"))
        return !getSafeZoneTimes().isEmpty();
    return name != QLatin1String("SafeZoneTimeMs") && name != QLatin1String("DangerZoneTimeMs")
           && name != QLatin1String("Rejected");
}

bool Experiment_LightBox_Stats::lacksValue(const QString& name) const
{
    return m_isStayRow && name == QLatin1String("Rejected");
}

bool Experiment_LightBox_Stats::hasCycleStatistics() const
{
    return false;
}

QString Experiment_LightBox_Stats::safeZoneName() const
{
    static const QString name = QCoreApplication::translate("Generic", "Bright side");
    return name;
}

QString Experiment_LightBox_Stats::dangerZoneName() const
{
    static const QString name = QCoreApplication::translate("Generic", "Dark side");
    return name;
}

// One row a stay, each safe stay followed by the danger stay that ended it; danger stays
// beyond the safe ones are not shown.
QList<Experiment_Stats*> Experiment_LightBox_Stats::buildResult()
{
    const QList<QString> safe = TextHelper::splitAndTrim(getSafeZoneTimes(), QStringLiteral(";"));
    const QList<QString> danger = TextHelper::splitAndTrim(getDangerZoneTimes(), QStringLiteral(";"));
    QList<Experiment_Stats*> rows;
    for (qsizetype i = 0; i < safe.size(); ++i) {
        rows << stayRow(safe.at(i).toInt(), true);
        if (i < danger.size())
            rows << stayRow(danger.at(i).toInt(), false);
    }
    return rows;
}

Experiment_LightBox_Stats* Experiment_LightBox_Stats::stayRow(int ms, bool safe) const
{
    auto* row = new Experiment_LightBox_Stats(QString(), false, nullptr, m_clock);
    row->m_isStayRow = true;
    row->setCyclesCount(1);
    row->setDurationMs(ms);
    row->setLatentTimeMs(noValue);
    row->setTitle(safe ? safeZoneName() : dangerZoneName());
    row->setSafeZoneTimeMs(safe ? ms : noValue);
    row->setDangerZoneTimeMs(safe ? noValue : ms);
    return row;
}

QList<ResultColumn> Experiment_LightBox_Stats::zoneColumns(const char* latentDescription,
                                                           const char* rejectedDescription)
{
    const QString seconds = generic(QT_TRANSLATE_NOOP("Generic", " s"));
    return {
        ResultColumn(QStringLiteral("Title"), false, ResultColumn::Text, generic(QT_TRANSLATE_NOOP("Generic", "Title")),
                     QString(), QString()),
        ResultColumn(QStringLiteral("DurationMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "Duration")), QString(), QString()),
        ResultColumn(QStringLiteral("LatentTimeMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T latent")), generic(latentDescription), seconds),
        ResultColumn(QStringLiteral("DangerZoneTimeMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T stim")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Time the rodent was electrically stimulated")), seconds),
        ResultColumn(QStringLiteral("SafeZoneTimeMs"), true, ResultColumn::Time,
                     generic(QT_TRANSLATE_NOOP("Generic", "T unstim")),
                     generic(QT_TRANSLATE_NOOP("Generic", "Time the rodent wasn't electrically stimulated (idle)")),
                     seconds),
        ResultColumn(QStringLiteral("Rejected"), true, ResultColumn::YesNo,
                     generic(QT_TRANSLATE_NOOP("Generic", "Denial")), generic(rejectedDescription), QString()),
        ResultColumn(QStringLiteral("Rodent"), false, ResultColumn::Text,
                     generic(QT_TRANSLATE_NOOP("Generic", "Rodent")), QString(), QString()),
        ResultColumn(QStringLiteral("Comment"), false, ResultColumn::Text,
                     generic(QT_TRANSLATE_NOOP("Generic", "Comment")), QString(), QString()),
    };
}
