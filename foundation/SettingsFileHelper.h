#pragma once

#include <QByteArray>
#include <QString>

// File chores of the settings files: a write that either fully replaces the file or leaves
// the old one in place, and the copy that keeps a damaged file aside before anything can
// overwrite it.
class SettingsFileHelper
{
public:
    // Writes a temporary file beside the target and renames it over the target, so a crash or
    // a full disk leaves either the old file or the new one, never a part. True only once the
    // new file is in place. A durable commit also waits until the bytes are on the disk
    // (QSaveFile); that wait costs milliseconds, so saves made after every change skip it.
    static bool commit(const QString& path, const QByteArray& bytes, bool durable = true);
    // Copies the file to "<path>.broken-<time stamp>" (a counter is added when that name is
    // taken); returns the copy's path, or an empty text when the copy failed.
    static QString keepAside(const QString& path);
    // The byte-order mark of UTF-8, when the bytes begin with one, removed.
    static QByteArray withoutByteOrderMark(QByteArray bytes);
    // 1-based line of a byte offset, for messages about a damaged file.
    static int lineOfOffset(const QByteArray& bytes, qsizetype offset);
};
