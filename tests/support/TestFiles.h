#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Whole-file reads and writes for tests that check the bytes a component leaves on disk, or
// lay a damaged file in its way.

// The file's bytes; empty when it is missing or cannot be read.
QByteArray readFileBytes(const QString& path);
// Replaces the file with the bytes; false when they could not all be written.
bool writeFileBytes(const QString& path, const QByteArray& bytes);
// Every file under the folder, its subfolders' too, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder);
