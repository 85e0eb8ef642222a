#include "FileUtilities.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace {
// Removing a whole disk or the user's home because of a mistaken path would be a catastrophe;
// those folders are never removed here. A symbolic link
// is refused too: the removal would walk into its target and empty that instead.
bool isFolderSafeToRemove(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(path));
    if (info.isSymLink()) {
        qWarning().noquote() << "FileUtilities: refusing to remove the symbolic link" << path;
        return false;
    }
    const QString canonical = info.canonicalFilePath();
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    if (QDir(canonical).isRoot() || canonical == home || home.startsWith(canonical + QLatin1Char('/'))) {
        qWarning().noquote() << "FileUtilities: refusing to remove" << canonical
                             << "(a filesystem root or a folder holding the home folder)";
        return false;
    }
    return true;
}

QStringList nameFiltersFor(const QList<QString>& types)
{
    static const QRegularExpression dotsAndStars(QStringLiteral("[\\*\\.]+"));
    QStringList filters;
    for (const QString& type : types)
        if (!type.isEmpty())
            filters.append(QStringLiteral("*.") + QString(type).remove(dotsAndStars));
    return filters;
}

bool copyFile(const QString& source, const QString& target)
{
    // An existing target is left as it is, on purpose: copying never overwrites.
    if (QFileInfo::exists(target) || QFile::copy(source, target))
        return true;
    qWarning().noquote() << "FileUtilities: could not copy" << source << "to" << target;
    return false;
}
} // namespace

QString FileUtilities::FolderSlash(QString path)
{
    if (path.isEmpty())
        return path;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    path.replace(QStringLiteral("//"), QStringLiteral("/"));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

bool FileUtilities::createIfNotExists(QString path)
{
    const QDir dir(path);
    if (dir.exists())
        return true;
    return QDir().mkpath(dir.absolutePath());
}

QString FileUtilities::makeFolder(const QString& path)
{
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(path).toStdString(), error);
    return error ? QString::fromStdString(error.message()) : QString();
}

QString FileUtilities::systemReason(int error)
{
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

QString FileUtilities::writeWhole(QFileDevice& file, const QByteArray& bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(file.handle(), bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return systemReason(count < 0 ? errno : EIO);
        written += qint64(count);
    }
    return QString();
}

bool FileUtilities::clearFolder(QString path, bool removeFolder)
{
    // An empty path would mean the working directory.
    if (path.isEmpty()) {
        qWarning().noquote() << "FileUtilities: refusing to remove a folder given by an empty path";
        return false;
    }
    QDir dir(path);
    if (!dir.exists() || !isFolderSafeToRemove(path))
        return false;
    const bool removed = dir.removeRecursively();
    if (!removed)
        qWarning().noquote() << "FileUtilities: could not remove everything in" << path;
    if (!removeFolder)
        createIfNotExists(path);
    return removed;
}

bool FileUtilities::CopyFolderStructure(QString from, QString to, bool copyFiles)
{
    from = FolderSlash(from);
    to = FolderSlash(to);
    bool ok = createIfNotExists(to);
    for (const QString& folder : GetSubfolders(from, false, true))
        ok = createIfNotExists(to + folder) && ok;
    if (!copyFiles)
        return ok;
    for (const QString& entry : getFilesOfType(from, QString(), true, false))
        if (QFileInfo(from + entry).isFile())
            ok = copyFile(from + entry, to + entry) && ok;
    return ok;
}

QList<QString> FileUtilities::GetSubfolders(QString path, bool fullPath, bool recursive)
{
    path = FolderSlash(path);
    QDir dir(path);
    // Links are not followed, so a link pointing back up the tree cannot make the walk endless.
    dir.setFilter(QDir::Dirs | QDir::NoSymLinks);
    QList<QString> result;
    for (const QString& name : dir.entryList()) {
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const QString entry = FolderSlash(name);
        const QString item = fullPath ? path + entry : entry;
        result.append(item);
        if (recursive)
            for (const QString& below : GetSubfolders(path + entry, false, true))
                result.append(item + below);
    }
    return result;
}

QList<QString> FileUtilities::getFilesOfType(QString folder, QString type, bool recursive, bool fullPath)
{
    return getFilesOfTypes(folder, QList<QString>{type}, recursive, fullPath);
}

QList<QString> FileUtilities::getFilesOfTypes(QString folder, QList<QString> types, bool recursive, bool fullPath)
{
    QDir dir(folder);
    if (!dir.exists())
        return {};
    const QString abs = dir.absolutePath();
    const QStringList filters = nameFiltersFor(types);
    if (!filters.isEmpty())
        dir.setNameFilters(filters);
    QList<QString> result;
    for (const QString& name : dir.entryList())
        result.append(fullPath ? abs + QLatin1Char('/') + name : name);
    if (!recursive)
        return result;
    const QStringList subfolders = QDir(abs).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& subfolder : subfolders) {
        const QString prefix = fullPath ? abs + QLatin1Char('/') + subfolder : subfolder;
        for (const QString& below : getFilesOfTypes(abs + QLatin1Char('/') + subfolder, types, true, false))
            result.append(prefix + QLatin1Char('/') + below);
    }
    return result;
}

qint64 FileUtilities::dirsize(QString path)
{
    const QDir dir(path);
    if (!dir.exists())
        return 0;
    qint64 size = 0;
    const auto entries = dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        size += entry.isDir() ? dirsize(path + QLatin1Char('/') + name) : entry.size();
    }
    return size;
}

qint64 FileUtilities::filesize(QString path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

QString FileUtilities::filesizeNice(qint64 bytes, int precision)
{
    static const char* const units[] = {QT_TRANSLATE_NOOP("Filesize", "B"), QT_TRANSLATE_NOOP("Filesize", "KB"),
                                        QT_TRANSLATE_NOOP("Filesize", "MB"), QT_TRANSLATE_NOOP("Filesize", "GB"),
                                        QT_TRANSLATE_NOOP("Filesize", "TB")};
    constexpr int largestUnit = int(std::size(units)) - 1;
    double value = double(bytes);
    int n = 0;
    // Sizes beyond 1024 TB stay in terabytes: there is no larger unit to show.
    while (value > 1024.0 && n < largestUnit) {
        value *= 1.0 / 1024.0;
        ++n;
    }
    return QString::number(value, 'f', n == 0 ? 0 : precision) + QLatin1Char(' ')
           + QCoreApplication::translate("Filesize", units[n]);
}

QString FileUtilities::filesizeNice(QString path)
{
    if (!QFileInfo::exists(path))
        return QString();
    return filesizeNice(filesize(path), 2);
}

QString FileUtilities::filename(QString path, bool withSuffix)
{
    const QFileInfo info(path);
    QString name = info.fileName();
    const QString suffix = info.suffix();
    if (!withSuffix && !suffix.isEmpty())
        name.chop(suffix.size() + 1);
    return name;
}

QString FileUtilities::filetype(QString path)
{
    return QFileInfo(path).suffix();
}

QString FileUtilities::replaceFileSuffix(QString path, QString newSuffix)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        return QString();
    return path.left(path.size() - suffix.size()) + newSuffix;
}

bool FileUtilities::removeFile(QString path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    if (info.isDir() && !info.isSymLink()) {
        qWarning().noquote() << "FileUtilities: refusing to remove the folder" << path << "as a file";
        return false;
    }
    QFile file(path);
    // Permissions set on a link would land on its target, which stays where it is.
    if (!info.isSymLink())
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.remove())
        return true;
    qDebug().noquote() << "REMOVE BAD" << path << file.errorString();
    return false;
}

bool FileUtilities::acceptableFileName(QString name)
{
    static const QString forbidden = QStringLiteral("/\\:*?<>\"");
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) { return forbidden.contains(c); });
}

QString FileUtilities::base64_encode(QString text)
{
    return base64_encode(text.toUtf8());
}

QString FileUtilities::base64_encode(QByteArray bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

QByteArray FileUtilities::base64_decode(const QByteArray& bytes)
{
    return QByteArray::fromBase64(bytes);
}

QString FileUtilities::base64_decode(QString text)
{
    return QString::fromUtf8(base64_decode_as_bytes(text));
}

QByteArray FileUtilities::base64_decode_as_bytes(QString text)
{
    return base64_decode(text.toUtf8());
}

QString FileUtilities::base64_decodeFromPercentEncoding(QString text)
{
    text.replace(QStringLiteral("%2B"), QStringLiteral("+"));
    text.replace(QStringLiteral("%3D"), QStringLiteral("="));
    text.replace(QStringLiteral("%2F"), QStringLiteral("/"));
    text.replace(QStringLiteral("%2C"), QStringLiteral(","));
    return base64_decode(text);
}

QString FileUtilities::base64_decodeFromPercentEncoding(QByteArray bytes)
{
    return base64_decodeFromPercentEncoding(QString::fromUtf8(bytes));
}
