#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs tasks one at a time in a thread of its own, so that their waiting (for a slow disk) holds
// up no other thread. A task posted while another runs waits for it; a task still waiting is
// replaced by the next one posted, since each is a newer state of the same thing. The thread is
// started by the first task and ended (and waited for) by stop() or the destructor.
class LatestTaskThread
{
public:
    LatestTaskThread() = default;
    ~LatestTaskThread();
    LatestTaskThread(const LatestTaskThread&) = delete;
    LatestTaskThread& operator=(const LatestTaskThread&) = delete;

    void post(std::function<void()> task);
    // Drops the task still waiting, waits for the one under way and ends the thread; a later
    // post starts it again.
    void stop();

private:
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void()> m_waiting;
    bool m_ending = false;
    std::thread m_thread;
};
