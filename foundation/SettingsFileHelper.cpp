#include "SettingsFileHelper.h"

#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "TextHelper.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

// The kernel gives up on a chain of links at the same length.
constexpr int maxLinkHops = 40;

QString shown(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

QString quoted(const fs::path& path)
{
    return QStringLiteral("\"%1\"").arg(shown(path));
}

QString kindOf(fs::file_type type)
{
    switch (type) {
    case fs::file_type::directory:
        return QStringLiteral("a folder");
    case fs::file_type::block:
    case fs::file_type::character:
        return QStringLiteral("a device");
    case fs::file_type::fifo:
        return QStringLiteral("a fifo");
    case fs::file_type::socket:
        return QStringLiteral("a socket");
    default:
        return QStringLiteral("of an unknown kind");
    }
}

// Why the file the links end at cannot be replaced; empty when it can.
QString refusalOf(const fs::path& target, fs::file_status status, const std::error_code& error)
{
    if (status.type() == fs::file_type::not_found) {
        std::error_code ignored;
        if (fs::is_directory(target.parent_path(), ignored))
            return QString();
        return QStringLiteral("there is no folder %1").arg(quoted(target.parent_path()));
    }
    if (error)
        return QStringLiteral("%1 cannot be examined: %2").arg(quoted(target), QString::fromStdString(error.message()));
    if (status.type() != fs::file_type::regular)
        return QStringLiteral("%1 is not a regular file but %2").arg(quoted(target), kindOf(status.type()));
    if (access(target.c_str(), W_OK) != 0)
        return QStringLiteral("%1 is read-only").arg(quoted(target));
    return QString();
}

// Follows `target` through its links, each relative one counted from the folder of the link
// that holds it, to the file that is to be replaced; returns why that file cannot be, if so.
QString resolveLinks(fs::path& target)
{
    std::error_code error;
    target = fs::absolute(target, error);
    for (int hop = 0; !error && hop <= maxLinkHops; ++hop) {
        const fs::file_status status = fs::symlink_status(target, error);
        if (!fs::is_symlink(status))
            return refusalOf(target, status, error);
        const fs::path holds = fs::read_symlink(target, error);
        target = target.parent_path() / holds;
    }
    if (error)
        return QStringLiteral("the path %1 cannot be followed: %2")
            .arg(quoted(target), QString::fromStdString(error.message()));
    return QStringLiteral("it leads through more than %1 symbolic links").arg(maxLinkHops);
}

QString systemError()
{
    return FileUtilities::systemReason(errno);
}

const QString savingMark = QStringLiteral(".saving-");

// The new files that saves of this process are writing. A save registers its file's name before
// it makes the file, so the removal of what killed saves left never takes one of them.
class FilesBeingSaved
{
public:
    static FilesBeingSaved& instance()
    {
        static FilesBeingSaved files;
        return files;
    }

    QString claimFreshName(const fs::path& target)
    {
        const QMutexLocker lock(&mutex);
        QString name;
        do {
            name = shown(target) + savingMark + QString::number(QRandomGenerator::global()->generate64(), 36);
        } while (names.contains(name));
        names.insert(name);
        return name;
    }

    void release(const QString& name)
    {
        const QMutexLocker lock(&mutex);
        names.remove(name);
    }

    // The new files of saves of the target that died before their rename: named as this scheme
    // names them, not written by a save of this process, and locked by no save of another one.
    void removeLeftovers(const fs::path& target)
    {
        const QString file = QString::fromStdString(target.filename().string());
        const QRegularExpression leftover(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(file + savingMark) + QStringLiteral("[0-9a-z]{1,13}")));
        const QDir folder(QString::fromStdString(target.parent_path().string()));
        const QMutexLocker lock(&mutex);
        for (const QString& entry : folder.entryList({file + savingMark + u'*'}, QDir::Files | QDir::Hidden)) {
            const QString path = folder.filePath(entry);
            if (leftover.match(entry).hasMatch() && !names.contains(path) && !lockedByAWriter(path))
                QFile::remove(path);
        }
    }

private:
    static bool lockedByAWriter(const QString& path)
    {
        const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (descriptor < 0)
            return true;
        const bool locked = flock(descriptor, LOCK_EX | LOCK_NB) != 0;
        ::close(descriptor);
        return locked;
    }

    QMutex mutex;
    QSet<QString> names;
};

// A new file starts private and takes the permissions of the file it replaces before any byte
// is in it, so a file kept from other users is never readable by them, not even for a moment.
// It is locked while it is written, so that another process's save leaves it alone.
QString openBeside(const fs::path& target, QFile& file)
{
    struct stat old = {};
    const bool replacing = stat(target.c_str(), &old) == 0;
    file.setFileName(FilesBeingSaved::instance().claimFreshName(target));
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
    const bool opened = replacing ? file.open(mode, QFileDevice::ReadOwner | QFileDevice::WriteOwner) : file.open(mode);
    if (!opened)
        return QStringLiteral("no file can be made beside it: %1").arg(file.errorString());
    flock(file.handle(), LOCK_EX | LOCK_NB);
    if (!replacing || fchmod(file.handle(), old.st_mode & 07777) == 0)
        return QString();
    const QString problem = QStringLiteral("the new file cannot take its permissions: %1").arg(systemError());
    file.remove();
    return problem;
}

// Unbuffered, so a short write (a full disk, a size limit) shows here and not in a flush whose
// failure a close would swallow.
QString writeAll(QFile& file, const QByteArray& bytes, bool durable)
{
    const QString reason = FileUtilities::writeWhole(file, bytes);
    if (!reason.isEmpty())
        return QStringLiteral("writing failed: %1").arg(reason);
    if (durable && fsync(file.handle()) != 0)
        return QStringLiteral("the disk did not take the bytes: %1").arg(systemError());
    return QString();
}

QString writeAndRename(const fs::path& target, QFile& file, const QByteArray& bytes, bool durable)
{
    QString problem = openBeside(target, file);
    if (!problem.isEmpty())
        return problem;
    problem = writeAll(file, bytes, durable);
    file.close();
    std::error_code error;
    if (problem.isEmpty())
        fs::rename(fs::path(file.fileName().toStdString()), target, error);
    if (error)
        problem = QStringLiteral("the new file cannot take its place: %1").arg(QString::fromStdString(error.message()));
    if (!problem.isEmpty())
        file.remove();
    return problem;
}

QString replaceWith(const fs::path& target, const QByteArray& bytes, bool durable)
{
    FilesBeingSaved::instance().removeLeftovers(target);
    QFile file;
    const QString problem = writeAndRename(target, file, bytes, durable);
    FilesBeingSaved::instance().release(file.fileName());
    return problem;
}
} // namespace

bool SettingsFileHelper::commit(const QString& path, const QByteArray& bytes, bool durable, QString* reason)
{
    fs::path target(path.toStdString());
    QString problem = path.isEmpty() ? QStringLiteral("no file name was given") : resolveLinks(target);
    if (problem.isEmpty())
        problem = replaceWith(target, bytes, durable);
    if (reason)
        *reason = problem;
    if (problem.isEmpty())
        return true;
    GlobalConsole::writeItem(
        QStringLiteral("Could not save \"%1\": %2.").arg(path.toHtmlEscaped(), problem.toHtmlEscaped()),
        QStringLiteral("Error"));
    return false;
}

QString SettingsFileHelper::readRegularFile(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    std::error_code error;
    const fs::path target(path.toStdString());
    const fs::file_status status = fs::status(target, error);
    if (error)
        return QStringLiteral("%1 cannot be examined: %2").arg(quoted(target), QString::fromStdString(error.message()));
    if (status.type() != fs::file_type::regular)
        return QStringLiteral("%1 is not a regular file but %2").arg(quoted(target), kindOf(status.type()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be opened: %1").arg(file.errorString());
    if (file.size() > maximumReadSize)
        return QStringLiteral("%1 is larger than %2 bytes").arg(quoted(target)).arg(maximumReadSize);
    // As large as it was when opened: a file that goes on growing is read no further.
    bytes = file.read(file.size());
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("the file cannot be read: %1").arg(file.errorString());
    return QString();
}

QString SettingsFileHelper::keepAside(const QString& path)
{
    std::error_code error;
    const fs::path source(path.toStdString());
    if (!fs::is_regular_file(source, error) || fs::file_size(source, error) > quint64(maximumReadSize))
        return QString();
    const QString stem =
        path + QStringLiteral(".broken-") + TextHelper::DateTimeFileString(QDateTime::currentDateTime());
    QString copy = stem;
    for (int attempt = 2; QFile::exists(copy); ++attempt)
        copy = stem + u'-' + QString::number(attempt);
    return QFile::copy(path, copy) ? copy : QString();
}

QByteArray SettingsFileHelper::withoutByteOrderMark(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return bytes;
}

int SettingsFileHelper::lineOfOffset(const QByteArray& bytes, qsizetype offset)
{
    return int(bytes.left(offset).count('\n')) + 1;
}
