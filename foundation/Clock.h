#pragma once

#include <QtGlobal>

#include <atomic>

// Where experiments, devices and rate counters read time. Durations, phases and off-times come
// from the monotonic reading, which never jumps when the wall clock is set; the wall reading
// only stamps times written to files.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 monotonicMs() const = 0;
    virtual qint64 wallMs() const = 0;

    // The process-wide clock of real runs.
    static Clock* system();
};

class SystemClock : public Clock
{
public:
    qint64 monotonicMs() const override;
    qint64 wallMs() const override;
};

// A clock that moves only when told to, so tests step a run through its phases at once. Readable
// from any thread.
class ManualClock : public Clock
{
public:
    explicit ManualClock(qint64 wallStartMs = 1'700'000'000'000, qint64 monotonicStartMs = 0);

    qint64 monotonicMs() const override { return monotonic.load(); }
    qint64 wallMs() const override { return wall.load(); }
    // Moves both readings on, as real time passing does.
    void advance(qint64 ms);
    // Sets the wall clock alone, as a user or a time server does.
    void setWallMs(qint64 ms) { wall.store(ms); }

private:
    std::atomic<qint64> monotonic;
    std::atomic<qint64> wall;
};
