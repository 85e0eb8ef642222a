#pragma once

#include "StorageSpace.h"

#include <QFileInfo>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>

// Holds the finish of a stopped video where it reads the room on its disk (for the video's
// folder; a recording's own checks read its file) while the gate is closed, until the test
// opens it. A finish held for `limit` goes on by itself and is marked: code that waits for the
// finish while holding the test's thread would otherwise never return.
class FinishGate
{
public:
    // The space reader for the recorder, reading the real disk once let through. The gate must
    // outlive the recorder.
    StorageSpace::Reader reader()
    {
        return [this](const QString& path) {
            if (QFileInfo(path).isDir())
                hold();
            return StorageSpace::read(path);
        };
    }

    void close()
    {
        std::lock_guard lock(mutex);
        closed = true;
    }

    void open()
    {
        std::lock_guard lock(mutex);
        closed = false;
        opened.notify_all();
    }

    // A finish is held at the gate now.
    bool holds() const
    {
        std::lock_guard lock(mutex);
        return holding;
    }

    // A held finish went on by itself, nobody having opened the gate in time.
    bool timedOut() const
    {
        std::lock_guard lock(mutex);
        return expired;
    }

private:
    void hold()
    {
        std::unique_lock lock(mutex);
        holding = closed;
        if (closed && !opened.wait_for(lock, limit, [this] { return !closed; })) {
            expired = true;
            closed = false;
        }
        holding = false;
    }

    static constexpr std::chrono::seconds limit{20};
    mutable std::mutex mutex;
    std::condition_variable opened;
    bool closed = false;
    bool holding = false;
    bool expired = false;
};
