#include "SettingsFileHelper.h"

#include "TextHelper.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace {
bool commitDurably(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool commitQuickly(const QString& path, const QByteArray& bytes)
{
    // One writer per settings file, so a fixed name beside it will do; a left-over from a
    // crash is simply truncated by the next save.
    const QString temporary = path + QStringLiteral(".saving");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    std::error_code error;
    if (written)
        std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                                std::filesystem::path(path.toStdU16String()), error);
    if (!written || error) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}
} // namespace

bool SettingsFileHelper::commit(const QString& path, const QByteArray& bytes, bool durable)
{
    return durable ? commitDurably(path, bytes) : commitQuickly(path, bytes);
}

QString SettingsFileHelper::keepAside(const QString& path)
{
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
