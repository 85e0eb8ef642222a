#include "Experiment_Stats.h"

#include "GlobalConsole.h"
#include "TrackDataFile.h"

#include <QDir>
#include <QFileInfo>

Experiment_Stats::Experiment_Stats(const QString& statsFilePath, bool autoSave, QObject* parent)
    : ZTSettings(statsFilePath, autoSave, parent, XML)
    , m_title(QFileInfo(statsFilePath).dir().dirName())
{
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

bool Experiment_Stats::openTrackForWriting()
{
    const QString path = QFileInfo(getFilepath()).absoluteDir().filePath(QLatin1String(trackFileName));
    if (trackFile()->open(path, false))
        return true;
    GlobalConsole::writeItem(trackFile()->message(), QStringLiteral("Error"));
    return false;
}

void Experiment_Stats::closeTrackFile()
{
    if (m_trackFile)
        m_trackFile->close();
}

QList<Experiment_Stats*> Experiment_Stats::buildResult()
{
    return {};
}

bool Experiment_Stats::hasCycleStatistics() const
{
    return true;
}

bool Experiment_Stats::isRecalculated()
{
    return true;
}

void Experiment_Stats::recalculateReactions()
{
}
