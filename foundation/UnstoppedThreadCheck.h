#pragma once

#include <QString>

#include <atomic>

class QThread;

// The worker-thread bases run work that their subclasses define in a loop of another thread.
// That loop must be over once a subclass's destructor has run: the base destructor can still
// stop and wait, but the subclass part the loop calls into is already gone by then. A base
// keeps one of these so that a subclass that forgets to stop fails loudly in debug builds,
// naming the thread, instead of racing quietly.
class UnstoppedThreadCheck
{
public:
    // Remembers the class the loop works for; called where the loop is started.
    void noteStart(const QThread& thread);
    // Debug builds end the program with a message naming the thread when it still runs;
    // `stopCall` is what the subclass's destructor should have called. Release builds go on,
    // and the base stops and waits.
    void verifyStopped(const QThread& thread, const QString& name, const char* stopCall) const;

private:
    std::atomic<const char*> startedClass{nullptr};
};
