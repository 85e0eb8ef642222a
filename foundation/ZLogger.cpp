#include "ZLogger.h"

#include "TextHelper.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTime>

#include <cstdio>

QString ZLogger::st_loggerPath;
QMutex* ZLogger::st_pMutex = new QMutex;
QByteArray ZLogger::file_path;

ZLogger::ZLogger(const QString& path, QObject* parent)
    : QObject(parent)
    , path(path.isEmpty() ? standardLogFilePath() : path)
{
}

void ZLogger::LogToFile(const QString& text, const QString& path, bool)
{
    QMutexLocker locker(st_pMutex);
    if (file_path.isEmpty())
        file_path = path.toUtf8();
    appendLine(file_path, text);
}

void ZLogger::appendLine(const QByteArray& filePath, const QString& text)
{
    // Binary append: the line end is CR LF on every platform, byte for byte.
    std::FILE* const pFile = std::fopen(filePath.constData(), "ab");
    if (!pFile)
        return;
    const QByteArray line = (QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) + QLatin1Char('\t') + text
                             + QStringLiteral("\r\n"))
                                .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), pFile);
    std::fclose(pFile);
}

void ZLogger::LogToFile(const QString& type, const QString& text, const QString& path, bool flag)
{
    LogToFile(typed(type, text), path, flag);
}

void ZLogger::LogTo(const QString& text, const QString& basePath, bool flag)
{
    LogToFile(text, basePath + QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")) + QStringLiteral(".log"),
              flag);
}

void ZLogger::LogTo(const QString& type, const QString& text, const QString& basePath, bool flag)
{
    LogTo(typed(type, text), basePath, flag);
}

void ZLogger::Log(const QString& text, bool flag)
{
    LogTo(text, st_loggerPath, flag);
}

void ZLogger::Log(const QString& type, const QString& text, bool flag)
{
    LogTo(type, text, st_loggerPath, flag);
}

void ZLogger::Log(const QString& type, const char* text, bool flag)
{
    Log(type, QString::fromUtf8(text), flag);
}

void ZLogger::setLoggerPath(const QString& path)
{
    st_loggerPath = path;
}

QString ZLogger::standardLogFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/')
           + QCoreApplication::applicationName() + QLatin1Char('_')
           + TextHelper::DateTimeFileString(QDateTime::currentDateTime(), true) + QStringLiteral(".log");
}

QString ZLogger::getPath() const
{
    return path;
}

void ZLogger::log(const QString& message, const QString& type)
{
    // The object's own file: the process-wide first path binds only the static writers.
    QMutexLocker locker(st_pMutex);
    appendLine(path.toUtf8(), typed(type, message));
}

QString ZLogger::typed(const QString& type, const QString& text)
{
    return type.isEmpty() ? text : type + QLatin1Char('\t') + text;
}
