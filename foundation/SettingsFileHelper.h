#pragma once

#include <QByteArray>
#include <QString>

// File chores of the settings files: a write that either fully replaces the file or leaves
// the old one in place, and the copy that keeps a damaged file aside before anything can
// overwrite it.
class SettingsFileHelper
{
public:
    // No settings file or result record comes near this; a larger file is not one of them.
    static constexpr qint64 maximumReadSize = 64 * 1024 * 1024;

    // Reads a whole settings file or result record, through links, into `bytes`. Only a regular
    // file of at most maximumReadSize bytes is read: a fifo would never answer and a device
    // might never end. Returns why the file was not read, or an empty text.
    static QString readRegularFile(const QString& path, QByteArray& bytes);
    // The one way every settings file and result record is written. Symbolic links are followed
    // (chains and relative ones too) to the file they lead to; the bytes go to a temporary file
    // beside that file, which then takes its place with the old file's permissions, so a crash
    // or a full disk leaves either the old file or the new one, never a part, and the links
    // stay links. A target that exists and is not a writable regular file (a folder, a device,
    // a fifo, a link into a missing folder) is refused untouched. True only once the new file
    // is in place; any failure is named on the console with the file and the reason, and leaves
    // no temporary file behind; `reason`, when given, gets why. A durable commit also waits until
    // the bytes are on the disk; that wait costs milliseconds, so saves made after every change
    // skip it. Temporary files that earlier saves of the file left (a save killed before its
    // rename) are removed first, but none that a save still writes.
    static bool commit(const QString& path, const QByteArray& bytes, bool durable = true, QString* reason = nullptr);
    // Copies the file to "<path>.broken-<time stamp>" (a counter is added when that name is
    // taken); returns the copy's path, or an empty text when the copy failed or the file is not
    // one that readRegularFile reads.
    static QString keepAside(const QString& path);
    // The byte-order mark of UTF-8, when the bytes begin with one, removed.
    static QByteArray withoutByteOrderMark(QByteArray bytes);
    // 1-based line of a byte offset, for messages about a damaged file.
    static int lineOfOffset(const QByteArray& bytes, qsizetype offset);
};
