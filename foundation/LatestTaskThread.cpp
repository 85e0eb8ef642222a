#include "LatestTaskThread.h"

#include <utility>

LatestTaskThread::~LatestTaskThread()
{
    stop();
}

void LatestTaskThread::post(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = std::move(task);
        if (!m_thread.joinable())
            m_thread = std::thread(&LatestTaskThread::loop, this);
    }
    m_wake.notify_one();
}

void LatestTaskThread::stop()
{
    std::thread ending;
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
        m_waiting = nullptr;
        ending = std::move(m_thread);
    }
    m_wake.notify_one();
    if (ending.joinable())
        ending.join();
    const std::lock_guard lock(m_mutex);
    m_ending = false;
}

void LatestTaskThread::loop()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_ending || m_waiting; });
        if (m_ending)
            return;
        const std::function<void()> task = std::exchange(m_waiting, nullptr);
        lock.unlock();
        task();
        lock.lock();
    }
}
