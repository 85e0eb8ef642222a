#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::array<int, 3> watchedSignals{SIGTERM, SIGINT, SIGHUP};
// The pipe's read and write ends; -1 while no object watches.
int signalPipe[2] = {-1, -1};

void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal that is still to be read: one is enough to end.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : watchedSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
    setHandler(writeSignalNumber);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    setHandler(SIG_DFL);
    delete m_notifier;
    for (int& end : signalPipe)
        ::close(std::exchange(end, -1));
}

void TerminationSignals::readSignals()
{
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1)
        emit received(number);
}
