#include "VideoFileMover.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace {
bool renameOver(const QString& from, const QString& to, QString& problem)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    problem = qt_error_string(errno);
    return false;
}

bool copyComplete(const QString& source, const QString& copy, QString& problem)
{
    QFile file(source);
    if (!file.copy(copy)) {
        problem = file.errorString();
        return false;
    }
    if (QFileInfo(copy).size() == file.size())
        return true;
    problem = QStringLiteral("the copy is incomplete");
    return false;
}
} // namespace

QString VideoFileMover::freePath(const QString& destination, const QString& folder, const QString& tag)
{
    QString path = taggedPath(destination, folder, tag);
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = taggedPath(destination, folder, tag + QLatin1Char('-') + QString::number(n));
    return path;
}

QString VideoFileMover::taggedPath(const QString& destination, const QString& folder, const QString& tag)
{
    const QFileInfo info(destination);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return QDir(folder).filePath(info.completeBaseName() + QLatin1Char('.') + tag + suffix);
}

bool VideoFileMover::moveIntoPlace(const QString& source, const QString& destination, QString& problem)
{
    const QFileInfo target(destination);
    if (target.isSymLink() || (target.exists() && !target.isFile())) {
        problem = QStringLiteral("the destination is not a regular file");
        return false;
    }
    QString renameProblem;
    if (renameOver(source, destination, renameProblem))
        return true;
    // Another file system: the copy grows under another name and is renamed when complete.
    const QString copy = freePath(destination, target.absolutePath(), QStringLiteral("copy"));
    if (copyComplete(source, copy, problem) && renameOver(copy, destination, problem)) {
        QFile::remove(source);
        return true;
    }
    QFile::remove(copy);
    problem = renameProblem + QStringLiteral("; ") + problem;
    return false;
}
