#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP reach the program as the Qt signal `received`, in the thread that
// made the object, so that it can end as closing its window ends it. A C signal handler may do
// next to nothing: it writes the signal's number into a pipe, whose other end a socket notifier
// watches from the event loop. One object at a time; its end gives the signals their default
// handling back.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Whether the pipe and the handlers are in place.
    bool isWatching() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readSignals();

    QSocketNotifier* m_notifier = nullptr;
};
