#pragma once

#include <QString>
#include <sys/statvfs.h>

#include <functional>
#include <optional>

// The room a file system has left for this process, as statvfs tells it. Recordings watch it
// to stop when their disk is full, and a finished video is copied into its final layout only
// when the copy leaves room for the recordings of the other chambers.
class StorageSpace
{
public:
    struct Reading
    {
        // The system's error number when the file system could not be asked; 0 otherwise.
        int error = 0;
        // Bytes this process may still write there; none when the file system does not say.
        std::optional<quint64> availableBytes;
    };
    // Reads the room of the file system holding a path; tests put in readings of their own.
    using Reader = std::function<Reading(const QString& path)>;

    static Reading read(const QString& path);
    // Root may fill the blocks kept for it, others only the rest. A file system that keeps no
    // block counts (ramfs, some FUSE mounts) reports zero free of zero: it does not say.
    static std::optional<quint64> availableBytes(const struct statvfs& space, bool privileged);
};
