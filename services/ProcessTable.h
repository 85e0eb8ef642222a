#pragma once

#include <QList>
#include <QString>

// The processes of this machine as /proc shows them. A process of another user whose program
// path cannot be read is named by its command name (at most 15 characters); a process that has
// ended but is not yet reaped by its parent (a zombie) no longer counts as running.
class ProcessTable
{
public:
    struct Process
    {
        qint64 pid = 0;
        // The file name of the program the process runs, as on a Windows process list.
        QString imageName;
    };

    static QList<Process> running();
    static bool isRunning(qint64 pid);
    // Asks the process to end; false when it could not be signalled.
    static bool terminate(qint64 pid);
};
