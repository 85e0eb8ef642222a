#pragma once

#include <QObject>
#include <QString>

class QMutex;

// Appends time-stamped lines ("hh:mm:ss.zzz", TAB, text, CR LF, UTF-8) to one log file.
// The first write of the process fixes the file; later writes naming another path still go
// there. A logger object writes to its own path instead. Every line is appended under one
// process-wide mutex, with the file opened and closed around it, so lines of different threads
// never interleave and each is on disk when the call returns. A file that cannot be opened loses
// the line; the next write tries again.
class ZLogger : public QObject
{
    Q_OBJECT

public:
    static QString st_loggerPath;

    explicit ZLogger(const QString& path = QString(), QObject* parent = nullptr);

    // The trailing flag of the write functions does not change what is written.
    static void LogToFile(const QString& text, const QString& path, bool flag = true);
    static void LogToFile(const QString& type, const QString& text, const QString& path, bool flag = true);
    // Per-day file: basePath + "yyyy.MM.dd" + ".log".
    static void LogTo(const QString& text, const QString& basePath, bool flag = true);
    static void LogTo(const QString& type, const QString& text, const QString& basePath, bool flag = true);
    static void Log(const QString& text, bool flag = true);
    static void Log(const QString& type, const QString& text, bool flag = true);
    // Without it, Log("type", "text") would take the text literal for the flag and lose it.
    static void Log(const QString& type, const char* text, bool flag = true);
    static void setLoggerPath(const QString& path);
    // Documents folder + "/" + application name + "_" + start stamp with milliseconds + ".log"
    static QString standardLogFilePath();

    QString getPath() const;

public slots:
    void log(const QString& message, const QString& type = QString());

private:
    static QString typed(const QString& type, const QString& text);
    // Appends one time-stamped line; the caller holds st_pMutex.
    static void appendLine(const QByteArray& filePath, const QString& text);

    static QMutex* st_pMutex;
    static QByteArray file_path;

    QString path;
};
