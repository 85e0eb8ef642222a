#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <sys/resource.h>

#include <csignal>
#include <cstring>

// Whole-file reads and writes for tests that check the bytes a component leaves on disk, or
// lay a damaged file in its way.

// The file's bytes; empty when it is missing or cannot be read.
QByteArray readFileBytes(const QString& path);
// Replaces the file with the bytes; false when they could not all be written.
bool writeFileBytes(const QString& path, const QByteArray& bytes);
// Every file under the folder, its subfolders' too, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder);

// The system's text for an error number ("No space left on device"), as a user is shown it.
inline QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// While it lives, no file of this process grows beyond `bytes`, as on a full disk; that stops
// root too, whom a read-only folder would not. A write that crosses the limit is cut short, and
// the next one fails with "File too large".
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous = {};
    void (*previousHandler)(int) = nullptr;
};
