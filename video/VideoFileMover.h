#pragma once

#include <QString>

// Where a video grows while it is written, and how it then takes the place of the finished
// file. A video is far too large to be written through the settings' one-shot save, so it is
// written beside its destination under another name and renamed at the end: a crash, a full
// disk or a failed write never leaves a half-written file under the destination's name.
class VideoFileMover
{
public:
    // A name in `folder` that no file has yet: "<base>.<tag>.<suffix>", then "<base>.<tag>-2.<suffix>"
    // and so on. The suffix stays last because the video writer picks the container from it, and
    // a taken name (a recording kept after a failed save) is never reused.
    static QString freePath(const QString& destination, const QString& folder, const QString& tag);
    // The first of those names, taken or not: "<base>.<tag>.<suffix>" in `folder`.
    static QString taggedPath(const QString& destination, const QString& folder, const QString& tag);
    // Moves the finished file to the destination, replacing a regular file there: a rename
    // where possible, else a copy beside the destination that takes its place once complete.
    // The source goes only once the destination is complete; on failure it stays, and
    // `problem` says why.
    static bool moveIntoPlace(const QString& source, const QString& destination, QString& problem);
};
