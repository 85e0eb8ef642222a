#pragma once

#include <QString>
#include <QtGlobal>

// One reaction of the animal to one stimulus, as the startle analysis finds it in the sensor's
// samples; times are milliseconds since the run's start.
struct StartleReaction
{
    StartleReaction() = default;
    // Reads the text form (toText); a missing or unreadable field stays at its default.
    explicit StartleReaction(const QString& text);

    // "amplitude=..;durationMs=..;endMs=..;startMs=..;stimulusEndMs=..;stimulusStartMs=..;type=..;"
    QString toText() const;
    qint64 reactionDuration() const { return endMs - startMs; }
    qint64 latency() const { return startMs - stimulusStartMs; }

    // The stimulus kind: "Light", "Circuit" or "Sound".
    QString type;
    qint64 stimulusStartMs = 0;
    qint64 stimulusEndMs = 0;
    // Negative while the analysis still looks for the reaction's start.
    qint64 startMs = 0;
    qint64 endMs = 0;
    // Below-mean samples still tolerated while the reaction runs; not part of the text.
    int belowMeanLeft = 3;
    qint64 durationMs = 0;
    double amplitude = 0.0;
};
