#pragma once

#include "StartleReaction.h"
#include "ZTSettings.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class TrackDataFile;
struct TrackFrame;

// The result record of one run, saved as the run folder's Stats.xml, with the run's event
// log and the handle of its per-frame track. Each paradigm's record derives from it.
class Experiment_Stats : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(qlonglong, TimeStamp, 0)
    ZT_PROPERTY(int, DurationMs, 0)
    ZT_PROPERTY(QString, Comment, "")
    ZT_PROPERTY(QString, Rodent, "")
    ZT_PROPERTY(double, Circuit, 0)
    ZT_PROPERTY(int, SoundTone, 0)
    ZT_PROPERTY(int, MaxDurationSeconds, 0)
    ZT_PROPERTY(int, VideoFrameWidth, 1920)
    ZT_PROPERTY(int, VideoFrameHeight, 1080)
    ZT_PROPERTY(int, RecognitionFrameWidth, 480)
    ZT_PROPERTY(int, RecognitionFrameHeight, 270)
    ZT_BOUNDED_PROPERTY(int, CyclesCount, 10, 0, 3600, 1)
    ZT_BOUNDED_PROPERTY(int, TotalCyclesCount, 10, 0, 3600, 1)
    ZT_BOUNDED_PROPERTY(int, SoundToneLight, 0, 0, 10000, 10)
    ZT_BOUNDED_PROPERTY(int, SoundToneElectrocution, 0, 0, 10000, 10)
    ZT_PROPERTY(QString, KestrumSN, "")
    ZT_PROPERTY(QString, Log, "")
    // The wall-clock time (ms since the epoch) at which the run's video began; 0 when the
    // recording did not say. The track's times are read against it on replay.
    ZT_PROPERTY(qlonglong, VideoStartMs, 0)
    // Written false by the saves at a run's start and while it runs, true by the save at its
    // stop; a record that lacks it (every run from before it was kept) reads as finished.
    ZT_PROPERTY(bool, Finished, true)

public:
    static constexpr const char* trackFileName = "Track.tdata";

    Experiment_Stats(const QString& statsFilePath, bool autoSave, QObject* parent = nullptr);
    ~Experiment_Stats() override;

    // Appends the line "<time>|<text>\r\n" to Log.
    void addLog(int timeMs, const QString& text);
    void recalculate(bool force);

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // The reactions the analysis of a startle run found; empty for other records.
    QList<StartleReaction> reactions() const { return m_reactions; }

    // The track of the run; the object is made on first use and is not opened by that: a
    // record reloaded for review never creates or changes a track file.
    TrackDataFile* trackFile();
    // Starts the run's Track.tdata beside Stats.xml; false (and a console message) when
    // it cannot be created.
    bool openTrackForWriting();
    // Closes the track file, if one was opened.
    void closeTrackFile();
    // Opens the run's Track.tdata for review, only reading it. Records whose values cannot be
    // (a time before an earlier frame's, a centre or area outside the recognition frame) count
    // as damaged: the console is told and readTrackFrame leaves them out. False without a
    // readable track, and while this record's own run is still writing it.
    bool openTrackForReview();
    // Record `key` of the reviewed track; false when it is missing, unreadable or damaged.
    bool readTrackFrame(quint32 key, TrackFrame& frame) const;

    // Whether the result tables may add statistics over the run's cycles.
    virtual bool hasCycleStatistics() const;
    // While manual control holds the device the record counts no time of the paradigm's
    // stimuli; records that measure stays by the clock hold them. Nothing by default.
    virtual void holdCounting(bool held);

    // No stop reached the record: the run was cut off (a crash, a power cut) or is still going on.
    bool isUnfinished() const { return !getFinished(); }
    // A value as the results show it. An unfinished run lasted as long as its intact track or
    // its last saved record tells, whichever is longer, and has no value (an invalid QVariant,
    // shown as missing) for what only its stop would have settled. Where the track goes on past
    // the last save, the figures the track gives are taken from it, so that all of them cover
    // the same stretch of the run. A value the record stores but does not hold (lacksValue) is
    // missing too. Only reads files.
    QVariant resultValue(const QString& name);
    // Reading the file again drops what was worked out from the track for the values read before.
    bool reload() override;
    // The record as it stands, with the run's length so far, for a save while the run goes on.
    QByteArray progressBytes(int durationMs);

public slots:
    // The result items of the run, owned by the caller.
    virtual QList<Experiment_Stats*> buildResult();
    virtual void start() = 0;
    virtual void finish() = 0;
    virtual bool isRecalculated();
    virtual void recalculateReactions();
    // Whether recalculateReactions has anything to work out for this kind of record.
    virtual bool hasReactionsToRecalculate() const;

signals:
    void reactionsRecalced();

protected:
    // Whether the record of an unfinished run holds a result for the property; its length is
    // worked out apart.
    virtual bool knowsBeforeStop(const QString& name) const;
    // Whether what the record stores for the property stands for no value (a mean over nothing,
    // a field a result row does not have), though the file keeps a number there. None by default.
    virtual bool lacksValue(const QString& name) const;
    // The figures of an unfinished run that its track gives, by property name, for a record
    // whose figures reach the file only with a save, so that they stop at the last one. None by
    // default: the records saved after each change hold theirs up to the run's last moment.
    virtual QVariantMap figuresFromTrack();
    // Each intact record of the reviewed track in turn, with whether the record before it is
    // intact too (false after a record that is missing or damaged, and for the first).
    void forEachIntactTrackRecord(const std::function<void(quint32 key, const TrackFrame&, bool follows)>& visit) const;

    QList<StartleReaction> m_reactions;

private:
    QString trackPath() const;
    QSet<quint32> framesThatCannotBe() const;
    void reviewUnfinishedRun();
    int trackSpanMs() const;

    QString m_title;
    std::unique_ptr<TrackDataFile> m_trackFile;
    QSet<quint32> m_damagedFrames;
    std::optional<int> m_unfinishedDurationMs;
    QVariantMap m_trackFigures;
};
