#include "ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <signal.h>

namespace {
const QString ProcFolder = QStringLiteral("/proc/");
const QString DeletedMark = QStringLiteral(" (deleted)");

QByteArray readProcFile(qint64 pid, const char* name)
{
    QFile file(ProcFolder + QString::number(pid) + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The state letter follows the command name, which is in parentheses and may itself hold them.
bool isLiveState(const QByteArray& stat)
{
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return false;
    const char state = stat.at(close + 2);
    return state != 'Z' && state != 'X' && state != 'x';
}

QString imageNameOf(qint64 pid)
{
    QString program = QFile::symLinkTarget(ProcFolder + QString::number(pid) + QStringLiteral("/exe"));
    if (program.endsWith(DeletedMark))
        program.chop(DeletedMark.size());
    if (!program.isEmpty())
        return QFileInfo(program).fileName();
    return QString::fromLocal8Bit(readProcFile(pid, "comm")).trimmed();
}
} // namespace

QList<ProcessTable::Process> ProcessTable::running()
{
    QList<Process> processes;
    const QStringList entries = QDir(ProcFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber || !isRunning(pid))
            continue;
        const QString name = imageNameOf(pid);
        if (!name.isEmpty())
            processes.append({pid, name});
    }
    return processes;
}

bool ProcessTable::isRunning(qint64 pid)
{
    return pid > 0 && isLiveState(readProcFile(pid, "stat"));
}

bool ProcessTable::terminate(qint64 pid)
{
    return pid > 0 && ::kill(static_cast<pid_t>(pid), SIGTERM) == 0;
}
