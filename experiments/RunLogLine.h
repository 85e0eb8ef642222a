#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One entry of a run's event log, which Experiment_Stats::addLog writes as "<ms>|<text>".
struct RunLogLine
{
    qint64 timeMs = 0;
    QString text;

    // The log's entries in order. A line without "|", or whose time is not a number of
    // milliseconds the log can hold (0 up to the largest int), is left out: the records compute
    // with these times.
    static QList<RunLogLine> parse(const QString& log);
};
