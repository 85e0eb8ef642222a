#include "GlobalConsole.h"

#include "ZLogger.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutexLocker>
#include <QRegularExpression>

#include <algorithm>

ConsoleEntry::ConsoleEntry(const QString& text, const QString& time, const QString& type)
    : time(time)
    , type(type)
    , text(text)
{
}

QString ConsoleEntry::toString() const
{
    if (type.isEmpty())
        return time + QLatin1Char(' ') + text;
    return time + QLatin1Char(' ') + type + QLatin1Char(' ') + text;
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(char value) const
{
    return *this << static_cast<int>(value);
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(short value) const
{
    return *this << static_cast<int>(value);
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(int value) const
{
    return *this << QString::number(value);
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(float value) const
{
    return *this << static_cast<double>(value);
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(double value) const
{
    return *this << QString::number(value, 'g', 6);
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(const char* text) const
{
    return *this << QString::fromUtf8(text);
}

const GlobalConsoleWriter& GlobalConsoleWriter::operator<<(const QString& text) const
{
    GlobalConsole::writeItem(text);
    return *this;
}

const GlobalConsoleWriter& ztDebug()
{
    static const GlobalConsoleWriter writer;
    return writer;
}

std::atomic<bool> GlobalConsole::FullOptimization{false};
std::atomic<GlobalConsole*> GlobalConsole::m_pInstance{nullptr};
QMutex GlobalConsole::instanceMutex;

GlobalConsole::GlobalConsole() = default;

GlobalConsole* GlobalConsole::Instance()
{
    GlobalConsole* console = m_pInstance.load(std::memory_order_acquire);
    if (console)
        return console;
    QMutexLocker locker(&instanceMutex);
    console = m_pInstance.load(std::memory_order_relaxed);
    if (!console) {
        console = new GlobalConsole;
        // A worker thread may be the first to write; the console must still live in the
        // user-interface thread, or invocations through the meta-object system would be lost
        // when that worker ends.
        if (QCoreApplication* app = QCoreApplication::instance())
            console->moveToThread(app->thread());
        m_pInstance.store(console, std::memory_order_release);
    }
    return console;
}

void GlobalConsole::freeData()
{
    QMutexLocker locker(&instanceMutex);
    delete m_pInstance.exchange(nullptr);
}

void GlobalConsole::writeItem(const QString& message, const QString& type, const QDateTime& date)
{
    Instance()->_writeItem(message, type, date);
}

void GlobalConsole::writeLine(const QString& text, const QDateTime& date)
{
    Instance()->_writeLine(text, date);
}

void GlobalConsole::setStatus(const QString& name, const QString& text)
{
    Instance()->_setStatus(name, text);
}

void GlobalConsole::clearStatus(const QString& name)
{
    Instance()->_clearStatus(name);
}

QString GlobalConsole::getStatus(const QString& name)
{
    return Instance()->_getStatus(name);
}

QList<QString> GlobalConsole::getStatusNames()
{
    return Instance()->_getStatusNames();
}

double GlobalConsole::countAverage(const QString& name, double value, int window)
{
    return Instance()->_countAverage(name, value, window);
}

double GlobalConsole::getAverage(const QString& name)
{
    return Instance()->_getAverage(name);
}

QList<QString> GlobalConsole::getAverageNames()
{
    return Instance()->_getAverageNames();
}

QString GlobalConsole::currentText()
{
    return Instance()->_currentText();
}

void GlobalConsole::disableType(const QString& type, bool disabled)
{
    Instance()->_disableType(type, disabled);
}

void GlobalConsole::enableLogging(bool enable, const QString& path)
{
    Instance()->_enableLogging(enable, path);
}

void GlobalConsole::ClearText()
{
    if (GlobalConsole* console = m_pInstance.load(std::memory_order_acquire))
        console->clearText();
}

static QString withoutRichTextTags(const QString& text)
{
    if (!text.contains(QLatin1Char('<')) || !text.contains(QLatin1Char('>')))
        return text;
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return QString(text).remove(tag);
}

void GlobalConsole::_writeItem(const QString& message, const QString& type, const QDateTime& date)
{
    if (FullOptimization)
        return;
    ConsoleEntry entry(message, date.toString(QStringLiteral("hh:mm:ss.zzz")), type);
    bool logging = false;
    QString path;
    {
        QMutexLocker locker(&mutex);
        if (isDisabledType(type))
            return;
        entries.push_back(entry);
        if (entries.size() > static_cast<size_t>(MaxEntries))
            entries.pop_front();
        logging = loggingEnabled;
        path = m_logPath;
    }
    if (logging)
        ZLogger::LogToFile(type, message, path, true);
    const QString text = entry.toString();
    emit newEntry(text);
    qDebug().noquote() << withoutRichTextTags(text);
}

void GlobalConsole::_writeLine(const QString& text, const QDateTime& date)
{
    _writeItem(text, QString(), date);
}

bool GlobalConsole::isDisabledType(const QString& type) const
{
    return !type.isEmpty() && disabledTypes.contains(type, Qt::CaseInsensitive);
}

void GlobalConsole::_disableType(const QString& type, bool disabled)
{
    QMutexLocker locker(&mutex);
    const bool present = disabledTypes.contains(type, Qt::CaseSensitive);
    if (disabled && !present)
        disabledTypes.append(type);
    else if (!disabled && present)
        disabledTypes.removeOne(type);
}

void GlobalConsole::_setStatus(const QString& name, const QString& text)
{
    if (FullOptimization)
        return;
    bool isNew = false;
    {
        QMutexLocker locker(&mutex);
        isNew = !statuses.contains(name);
        statuses.insert(name, text);
    }
    emit updatedStatus(name, text);
    if (isNew)
        emit newStatusName(name);
}

void GlobalConsole::_clearStatus(const QString& name)
{
    if (FullOptimization)
        return;
    {
        QMutexLocker locker(&mutex);
        if (name.isEmpty())
            statuses.clear();
        else
            statuses.remove(name);
    }
    emit statusCleared(name);
}

QString GlobalConsole::_getStatus(const QString& name) const
{
    QMutexLocker locker(&mutex);
    return statuses.value(name, QStringLiteral(""));
}

QList<QString> GlobalConsole::_getStatusNames() const
{
    QMutexLocker locker(&mutex);
    return statuses.keys();
}

double GlobalConsole::_countAverage(const QString& name, double value, int window)
{
    if (FullOptimization)
        return 0;
    bool isNew = false;
    double average = 0;
    {
        QMutexLocker locker(&mutex);
        auto found = averages.find(name);
        isNew = found == averages.end();
        if (isNew)
            found = averages.insert(name, ConsoleAverage());
        ConsoleAverage& record = found.value();
        record.window = std::max(window, 1);
        if (record.count < 1) {
            record.average = value;
            record.count = 1;
        } else {
            const int n = std::min(record.count + 1, record.window);
            record.average = ((n - 1) * record.average + value) / n;
            record.count = n;
        }
        average = record.average;
    }
    emit updatedAverage(name, average);
    if (isNew)
        emit newAverageName(name);
    return average;
}

double GlobalConsole::_getAverage(const QString& name) const
{
    QMutexLocker locker(&mutex);
    return averages.value(name).average;
}

QList<QString> GlobalConsole::_getAverageNames() const
{
    QMutexLocker locker(&mutex);
    return averages.keys();
}

QString GlobalConsole::_currentText() const
{
    QMutexLocker locker(&mutex);
    QString text;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        text += entry->toString() + QLatin1Char('\n');
    return text;
}

void GlobalConsole::_enableLogging(bool enable, const QString& path)
{
    const QString logFile = path.isEmpty() ? ZLogger::standardLogFilePath() : path;
    QMutexLocker locker(&mutex);
    loggingEnabled = enable;
    m_logPath = logFile;
}

void GlobalConsole::clearText()
{
    QMutexLocker locker(&mutex);
    entries.clear();
}

int GlobalConsole::entryCount() const
{
    QMutexLocker locker(&mutex);
    return static_cast<int>(entries.size());
}

bool GlobalConsole::isLoggingEnabled() const
{
    QMutexLocker locker(&mutex);
    return loggingEnabled;
}

QString GlobalConsole::logPath() const
{
    QMutexLocker locker(&mutex);
    return m_logPath;
}
