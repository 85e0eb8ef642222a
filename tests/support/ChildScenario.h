#pragma once

// Tests of what must end the program: the test program runs itself again as a child that
// carries out one named scenario instead of the tests, and the parent watches how it ends.
// Header only, so that any folder's tests can use it.

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <vector>

inline constexpr char ChildScenarioVariable[] = "KESTRUM_TEST_CHILD_SCENARIO";

struct ChildOutcome
{
    bool crashed = false;
    int exitCode = 0;
    QString errorOutput;
    bool timedOut = false; // stopped for taking longer than it was given
};

// What the child writes until it closes its end (`closed`), until it has written the mark (when
// one is given), or until the time is up.
inline QByteArray readUntilClosed(int descriptor, int timeoutMs, bool& closed, const QByteArray& mark = {})
{
    QByteArray text;
    const QDeadlineTimer deadline(timeoutMs);
    pollfd readable{descriptor, POLLIN, 0};
    char buffer[4096];
    while (::poll(&readable, 1, int(deadline.remainingTime())) > 0) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        closed = count == 0;
        if (count <= 0)
            break;
        text.append(buffer, count);
        if (!mark.isEmpty() && text.contains(mark))
            break;
    }
    return text;
}

// This process's environment with the scenario named, as "NAME=value" texts.
inline QByteArrayList childEnvironment(const QString& scenario)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ChildScenarioVariable), scenario);
    QByteArrayList assignments;
    for (const QString& assignment : environment.toStringList())
        assignments << assignment.toLocal8Bit();
    return assignments;
}

// A child carrying out a scenario, and the pipe its error output comes through.
struct StartedChild
{
    pid_t pid = -1;
    int errorOutput = -1;
};

// A plain fork and exec: QProcess shares the parent's memory with the child until the exec,
// and ThreadSanitizer's parent does not survive what its child notes there. The caller closes
// the pipe and waits for the child.
inline StartedChild startChildScenario(const QString& scenario)
{
    const QByteArray program = QCoreApplication::applicationFilePath().toLocal8Bit();
    QByteArrayList assignments = childEnvironment(scenario);
    std::vector<char*> environmentBlock;
    for (QByteArray& assignment : assignments)
        environmentBlock.push_back(assignment.data());
    environmentBlock.push_back(nullptr);
    char* const arguments[] = {const_cast<char*>(program.constData()), nullptr};

    int errors[2];
    if (::pipe(errors) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        // A child that aborts leaves no core file behind.
        const rlimit noCoreFile{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCoreFile);
        ::dup2(errors[1], STDERR_FILENO);
        ::close(errors[0]);
        ::execve(arguments[0], arguments, environmentBlock.data());
        ::_exit(127);
    }
    ::close(errors[1]);
    if (child < 0) {
        ::close(errors[0]);
        return {};
    }
    return {child, errors[0]};
}

// Reads the child's error output until it closes it (killing a child that takes longer than
// the time given) and waits for its end. With a mark, the child is killed (SIGKILL, as a crash
// or a power cut ends a program) once it has written it.
inline ChildOutcome awaitChild(const StartedChild& child, int timeoutMs, const QByteArray& killAtMark = {})
{
    bool closed = false;
    const QByteArray errorOutput = readUntilClosed(child.errorOutput, timeoutMs, closed, killAtMark);
    ::close(child.errorOutput);
    const bool marked = !killAtMark.isEmpty() && errorOutput.contains(killAtMark);
    if (!closed)
        ::kill(child.pid, SIGKILL); // it hangs, or has reached its mark
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    return {WIFSIGNALED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromLocal8Bit(errorOutput),
            !closed && !marked};
}

inline ChildOutcome runChildScenario(const QString& scenario, int timeoutMs = 60000, const QByteArray& killAtMark = {})
{
    const StartedChild child = startChildScenario(scenario);
    if (child.pid < 0)
        return {true, -1, QStringLiteral("no child could be started")};
    return awaitChild(child, timeoutMs, killAtMark);
}

// The work of a thread that must certainly still be running when it is destroyed: tells
// `entered` that the work has begun, then blocks for good. The flag is a standard atomic, so
// that ThreadSanitizer sees the hand-over (Qt's own primitives are invisible to it).
inline void enterAndBlockForGood(std::atomic<bool>& entered)
{
    entered.store(true, std::memory_order_release);
    QSemaphore().acquire();
}

// Waits until a thread's work has set `entered`.
inline void awaitEntered(const std::atomic<bool>& entered)
{
    while (!entered.load(std::memory_order_acquire))
        QThread::yieldCurrentThread();
}

// Runs the scenario in a child, which must abort showing the fatal message or, without one,
// end well. Fatal messages come from checks that only debug builds make.
inline void expectChildEnding(const QString& scenario, const QString& fatalMessage)
{
#ifdef QT_NO_DEBUG
    if (!fatalMessage.isEmpty())
        QSKIP("Release builds leave out the check that ends the program");
#endif
    const ChildOutcome outcome = runChildScenario(scenario);
    QVERIFY2(outcome.errorOutput.contains(fatalMessage), qPrintable(outcome.errorOutput));
    QCOMPARE(outcome.crashed, !fatalMessage.isEmpty());
    if (!outcome.crashed)
        QCOMPARE(outcome.exitCode, 0);
}

// The main of a test program with child scenarios. A child runs its scenario and exits with
// what it returns.
template <typename Test, typename Application = QCoreApplication>
int testMainWithChildScenarios(int argc, char** argv, int (*runScenario)(const QString& scenario))
{
    Application application(argc, argv);
    const QString scenario = qEnvironmentVariable(ChildScenarioVariable);
    if (!scenario.isEmpty())
        return runScenario(scenario);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
