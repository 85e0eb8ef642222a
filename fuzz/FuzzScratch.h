#pragma once

// What the fuzz targets of this folder share: a quiet console and a scratch folder, kept in
// memory where the system offers it, since every input is written to a file.
#include "GlobalConsole.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline QString fuzzScratchPath(const QString& fileName)
{
    static QTemporaryDir folder(
        (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
        + QStringLiteral("/kestrum-fuzz-XXXXXX"));
    GlobalConsole::FullOptimization = true;
    return folder.filePath(fileName);
}

// Lays the input down as the scratch file `fileName`, after clearing away what earlier inputs
// left beside it (copies set aside, rebuilt files), and returns its path.
inline QString fuzzInputFile(const QString& fileName, const uint8_t* data, size_t size)
{
    const QString path = fuzzScratchPath(fileName);
    const QDir folder = QFileInfo(path).dir();
    for (const QString& name : folder.entryList(QDir::Files))
        QFile::remove(folder.filePath(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    return path;
}

// The file's bytes as they are now on disk; empty when it is missing.
inline QByteArray fuzzReadBack(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
