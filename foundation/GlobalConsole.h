#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <deque>

// One console item: its time as "hh:mm:ss.zzz", a free type text (may be empty) and the text.
class ConsoleEntry
{
public:
    ConsoleEntry(const QString& text = QString(), const QString& time = QString(), const QString& type = QString());

    // time, a blank, the type and a blank when there is a type, the text
    QString toString() const;

    QString time;
    QString type;
    QString text;
};

// A running average: the plain mean until `window` samples were folded in, then each new
// sample weighs 1/window.
struct ConsoleAverage
{
    int count = 0;
    double average = 0;
    int window = 1;
};

// Stream object of ztDebug(): every value streamed in becomes one console item.
class GlobalConsoleWriter
{
public:
    const GlobalConsoleWriter& operator<<(char value) const;
    const GlobalConsoleWriter& operator<<(short value) const;
    const GlobalConsoleWriter& operator<<(int value) const;
    const GlobalConsoleWriter& operator<<(float value) const;
    const GlobalConsoleWriter& operator<<(double value) const;
    const GlobalConsoleWriter& operator<<(const char* text) const;
    const GlobalConsoleWriter& operator<<(const QString& text) const;
};

const GlobalConsoleWriter& ztDebug();

// The process-wide message console: text items, named status texts and named running averages.
// It is written from the user-interface thread and from detector and recorder threads at once,
// so its tables are guarded by one mutex and its signals are emitted after that mutex is
// released (receivers in other threads get them queued). Only the newest MaxEntries items are
// kept; older ones are dropped so that a long run cannot exhaust memory.
class GlobalConsole : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxEntries = 10000;

    // While set, writing items, setting and clearing statuses and counting averages do nothing.
    static std::atomic<bool> FullOptimization;

    static GlobalConsole* Instance();
    // Deletes the console; the next call makes a fresh, empty one. Only for a moment when no
    // other thread writes to the console (shutdown, tests).
    static void freeData();

    static void writeItem(const QString& message, const QString& type = QString(),
                          const QDateTime& date = QDateTime::currentDateTime());
    static void writeLine(const QString& text, const QDateTime& date = QDateTime::currentDateTime());
    static void setStatus(const QString& name, const QString& text);
    static void clearStatus(const QString& name);
    static QString getStatus(const QString& name);
    static QList<QString> getStatusNames();
    static double countAverage(const QString& name, double value, int window);
    static double getAverage(const QString& name);
    static QList<QString> getAverageNames();
    // Every item's text form followed by "\n", newest first.
    static QString currentText();
    static void disableType(const QString& type, bool disabled = true);
    // An empty path stands for ZLogger::standardLogFilePath().
    static void enableLogging(bool enable, const QString& path = QString());
    static void ClearText();

    void _setStatus(const QString& name, const QString& text);
    void _clearStatus(const QString& name);
    QString _getStatus(const QString& name) const;
    QList<QString> _getStatusNames() const;
    double _countAverage(const QString& name, double value, int window);
    double _getAverage(const QString& name) const;
    QList<QString> _getAverageNames() const;
    QString _currentText() const;
    void _enableLogging(bool enable, const QString& path);
    void clearText();

    int entryCount() const;
    bool isLoggingEnabled() const;
    QString logPath() const;

public slots:
    void _writeItem(const QString& message, const QString& type = QString(),
                    const QDateTime& date = QDateTime::currentDateTime());
    void _writeLine(const QString& text, const QDateTime& date = QDateTime::currentDateTime());
    void _disableType(const QString& type, bool disabled = true);

signals:
    void newEntry(const QString& entry);
    void newAverageName(const QString& name);
    void newStatusName(const QString& name);
    void updatedAverage(const QString& name, double value);
    void updatedStatus(const QString& name, const QString& value);
    void statusCleared(const QString& name);

private:
    GlobalConsole();

    static std::atomic<GlobalConsole*> m_pInstance;
    static QMutex instanceMutex;

    bool isDisabledType(const QString& type) const;

    mutable QMutex mutex;
    std::deque<ConsoleEntry> entries;
    QMap<QString, ConsoleAverage> averages;
    QMap<QString, QString> statuses;
    QString m_logPath;
    bool loggingEnabled = false;
    QStringList disabledTypes;
};
