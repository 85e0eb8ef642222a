#pragma once

// What the fuzz targets of this folder share: a quiet console and a scratch folder, kept in
// memory where the system offers it, since every input is written to a file.
#include "GlobalConsole.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

inline QString fuzzScratchPath(const QString& fileName)
{
    static QTemporaryDir folder((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                                + QStringLiteral("/kestrum-fuzz-XXXXXX"));
    GlobalConsole::FullOptimization = true;
    return folder.filePath(fileName);
}
