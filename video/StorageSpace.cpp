#include "StorageSpace.h"

#include <QFile>

#include <cerrno>
#include <unistd.h>

StorageSpace::Reading StorageSpace::read(const QString& path)
{
    struct statvfs space = {};
    if (::statvfs(QFile::encodeName(path).constData(), &space) != 0)
        return Reading{errno, std::nullopt};
    return Reading{0, availableBytes(space, ::geteuid() == 0)};
}

std::optional<quint64> StorageSpace::availableBytes(const struct statvfs& space, bool privileged)
{
    if (space.f_blocks == 0)
        return std::nullopt;
    const fsblkcnt_t blocks = privileged ? space.f_bfree : space.f_bavail;
    return quint64(blocks) * quint64(space.f_frsize);
}
