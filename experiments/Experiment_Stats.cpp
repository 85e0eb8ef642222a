#include "Experiment_Stats.h"

#include "GlobalConsole.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// Positions of the fewest times to leave out so that the rest never go backwards (all but one
// longest non-decreasing run): a single wrong time, however far off, costs only its own record.
QList<qsizetype> timesOutOfOrder(const QList<qint64>& times)
{
    QList<qsizetype> runEnds; // runEnds[n]: where the kept run of n + 1 times with the lowest end ends
    QList<qsizetype> previous(times.size(), -1);
    const auto before = [&times](qint64 time, qsizetype end) { return time < times.at(end); };
    for (qsizetype i = 0; i < times.size(); ++i) {
        const auto place = std::upper_bound(runEnds.begin(), runEnds.end(), times.at(i), before);
        if (place != runEnds.begin())
            previous[i] = *(place - 1);
        if (place == runEnds.end())
            runEnds.append(i);
        else
            *place = i;
    }
    QList<bool> kept(times.size(), false);
    for (qsizetype i = runEnds.isEmpty() ? -1 : runEnds.constLast(); i >= 0; i = previous.at(i))
        kept[i] = true;
    QList<qsizetype> left;
    for (qsizetype i = 0; i < times.size(); ++i) {
        if (!kept.at(i))
            left << i;
    }
    return left;
}

} // namespace

Experiment_Stats::Experiment_Stats(const QString& statsFilePath, bool autoSave, QObject* parent)
    : ZTSettings(statsFilePath, autoSave, parent, XML)
    , m_title(QFileInfo(statsFilePath).dir().dirName())
{
    // Opening a run for review makes no file in it; a record that does not load is never
    // saved over (the results page drops it), so its file needs no copy.
    setKeepDamagedCopy(false);
}

Experiment_Stats::~Experiment_Stats() = default;

void Experiment_Stats::addLog(int timeMs, const QString& text)
{
    setLog(getLog() + QString::number(timeMs) + QLatin1Char('|') + text + QStringLiteral("\r\n"));
}

void Experiment_Stats::recalculate(bool force)
{
    if (!force && isRecalculated())
        return;
    recalculateReactions();
    emit reactionsRecalced();
}

TrackDataFile* Experiment_Stats::trackFile()
{
    if (!m_trackFile)
        m_trackFile = std::make_unique<TrackDataFile>();
    return m_trackFile.get();
}

QString Experiment_Stats::trackPath() const
{
    return QFileInfo(getFilepath()).absoluteDir().filePath(QLatin1String(trackFileName));
}

bool Experiment_Stats::openTrackForWriting()
{
    if (trackFile()->open(trackPath(), false))
        return true;
    GlobalConsole::writeItem(trackFile()->message().toHtmlEscaped(), QStringLiteral("Error"));
    return false;
}

void Experiment_Stats::closeTrackFile()
{
    if (m_trackFile)
        m_trackFile->close();
}

bool Experiment_Stats::openTrackForReview()
{
    // Reopening would close the writer of the running run and lose its frames.
    if (m_trackFile && m_trackFile->isWritable())
        return false;
    m_damagedFrames.clear();
    if (!trackFile()->open(trackPath(), true))
        return false;
    m_damagedFrames = framesThatCannotBe();
    if (!m_damagedFrames.isEmpty())
        GlobalConsole::writeItem(
            QStringLiteral("%1: %2 of %3 track records hold values that cannot be; they are left out")
                .arg(trackPath().toHtmlEscaped())
                .arg(m_damagedFrames.size())
                .arg(m_trackFile->recordCount()),
            QStringLiteral("Warning"));
    return true;
}

QSet<quint32> Experiment_Stats::framesThatCannotBe() const
{
    // A record whose frame size was lost cannot judge places, only times.
    const QSize frame(getRecognitionFrameWidth(), getRecognitionFrameHeight());
    QSet<quint32> damaged;
    QList<quint32> timedKeys;
    QList<qint64> times;
    for (quint32 key : m_trackFile->keys()) {
        TrackFrame record;
        if (!m_trackFile->readRecord(key, record) || (!frame.isEmpty() && !record.fitsFrame(frame))) {
            damaged.insert(key);
        } else if (record.detected) {
            timedKeys << key;
            times << record.timeMs;
        }
    }
    for (qsizetype position : timesOutOfOrder(times))
        damaged.insert(timedKeys.at(position));
    return damaged;
}

bool Experiment_Stats::readTrackFrame(quint32 key, TrackFrame& frame) const
{
    return m_trackFile && !m_damagedFrames.contains(key) && m_trackFile->readRecord(key, frame);
}

QList<Experiment_Stats*> Experiment_Stats::buildResult()
{
    return {};
}

void Experiment_Stats::holdCounting(bool)
{
}

bool Experiment_Stats::hasCycleStatistics() const
{
    return true;
}

QVariant Experiment_Stats::resultValue(const QString& name)
{
    if (lacksValue(name))
        return QVariant();
    if (!isUnfinished())
        return getValue(name);
    reviewUnfinishedRun();
    if (name == QLatin1String("DurationMs"))
        return *m_unfinishedDurationMs;
    if (m_trackFigures.contains(name))
        return m_trackFigures.value(name);
    return knowsBeforeStop(name) ? getValue(name) : QVariant();
}

bool Experiment_Stats::reload()
{
    m_unfinishedDurationMs.reset();
    m_trackFigures.clear();
    return ZTSettings::reload();
}

bool Experiment_Stats::knowsBeforeStop(const QString&) const
{
    return true;
}

bool Experiment_Stats::lacksValue(const QString&) const
{
    return false;
}

QVariantMap Experiment_Stats::figuresFromTrack()
{
    return {};
}

void Experiment_Stats::reviewUnfinishedRun()
{
    if (m_unfinishedDurationMs)
        return;
    m_unfinishedDurationMs = getDurationMs();
    if (!openTrackForReview())
        return;
    const int trackMs = trackSpanMs();
    if (trackMs > *m_unfinishedDurationMs) {
        m_unfinishedDurationMs = trackMs;
        m_trackFigures = figuresFromTrack();
    }
    closeTrackFile();
}

void Experiment_Stats::forEachIntactTrackRecord(
    const std::function<void(quint32 key, const TrackFrame&, bool follows)>& visit) const
{
    if (!m_trackFile)
        return;
    std::optional<quint32> previous;
    for (quint32 key : m_trackFile->keys()) {
        TrackFrame frame;
        if (!readTrackFrame(key, frame))
            continue;
        visit(key, frame, previous && *previous + 1 == key);
        previous = key;
    }
}

// From the first to the last intact record, one a frame whether or not the animal was seen.
// Only the records of frames with the animal carry a time; the records before the first and
// after the last of those are counted at the rate the frames came meanwhile.
int Experiment_Stats::trackSpanMs() const
{
    std::optional<quint32> firstKey;
    quint32 lastKey = 0;
    std::optional<std::pair<quint32, qint64>> firstTimed;
    std::pair<quint32, qint64> lastTimed;
    forEachIntactTrackRecord([&](quint32 key, const TrackFrame& frame, bool) {
        if (!firstKey)
            firstKey = key;
        lastKey = key;
        if (!frame.detected)
            return;
        if (!firstTimed)
            firstTimed = {key, frame.timeMs};
        lastTimed = {key, frame.timeMs};
    });
    if (!firstTimed || lastTimed.first == firstTimed->first)
        return 0;
    const double timedMs = double(lastTimed.second - firstTimed->second);
    const double frameMs = timedMs / double(lastTimed.first - firstTimed->first);
    const double untimedFrames = double(firstTimed->first - *firstKey) + double(lastKey - lastTimed.first);
    return int(std::clamp(timedMs + frameMs * untimedFrames, 0.0, double(std::numeric_limits<int>::max())));
}

QByteArray Experiment_Stats::progressBytes(int durationMs)
{
    // Set in memory only: the record's own save after each change would write the file once more.
    const bool autoSaving = getAutoSave();
    setAutoSave(false);
    setDurationMs(durationMs);
    setAutoSave(autoSaving);
    return saveToString().toUtf8();
}

bool Experiment_Stats::isRecalculated()
{
    return true;
}

void Experiment_Stats::recalculateReactions()
{
}

bool Experiment_Stats::hasReactionsToRecalculate() const
{
    return false;
}
