#pragma once

#include "Clock.h"
#include "Experiment_Stats.h"
#include "ResultColumn.h"

#include <limits>
#include <optional>

// The result record of the paradigms that divide the arena into a safe and a danger zone: the
// light/dark box and the passive avoidance family. The paradigm says when the animal begins a
// stay in either zone; the record measures each stay, sums the time per zone and keeps the
// single stays as lists ("<ms>;\r\n" each).
class Experiment_LightBox_Stats : public Experiment_Stats
{
    Q_OBJECT
    ZT_PROPERTY(int, Cycles, 0)
    ZT_PROPERTY(int, MaxCycles, 0)
    ZT_PROPERTY(bool, Rejected, false)
    ZT_PROPERTY(int, LatentTimeMs, 0)
    ZT_PROPERTY(int, SafeZoneTimeMs, 0)
    ZT_PROPERTY(int, DangerZoneTimeMs, 0)
    ZT_PROPERTY(QString, SafeZoneTimes, "")
    ZT_PROPERTY(QString, DangerZoneTimes, "")

public:
    // Marks a value a row of the per-stay table does not have.
    static constexpr int noValue = std::numeric_limits<int>::min();

    Experiment_LightBox_Stats(const QString& statsFilePath, bool autoSave, QObject* parent = nullptr,
                              Clock* clock = Clock::system());

    void startSafeZone();
    void startDangerZone();
    void addCycle();
    bool isInSafeZone() const { return m_inSafeZone; }
    qint64 zoneElapsedMs() const;

    bool hasCycleStatistics() const override;
    // The stay under way does not count the held time.
    void holdCounting(bool held) override;

    // The columns of the zone paradigms' result tables; the two descriptions name the danger zone.
    static QList<ResultColumn> zoneColumns(const char* latentDescription, const char* rejectedDescription);

public slots:
    QList<Experiment_Stats*> buildResult() override;
    void start() override;
    void finish() override;
    virtual QString safeZoneName() const;
    virtual QString dangerZoneName() const;

protected:
    // The zone times lack the stay under way, which only the stop closes, and the stop decides
    // whether the run was rejected; the latent time is known once the first safe stay closed.
    bool knowsBeforeStop(const QString& name) const override;
    // A stay is neither a denial nor not one: only the run is.
    bool lacksValue(const QString& name) const override;

private:
    void openStay(bool safe);
    void closeStay();
    Experiment_LightBox_Stats* stayRow(int ms, bool safe) const;
    // The clock's time as the stays count it: it stands still while counting is held.
    qint64 countedNowMs() const;

    Clock* m_clock;
    std::optional<qint64> m_zoneSince;
    std::optional<qint64> m_heldSince;
    qint64 m_runStartMs = 0;
    bool m_inSafeZone = true;
    bool m_isStayRow = false;
};
