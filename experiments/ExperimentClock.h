#pragma once

#include <QtGlobal>

#include <atomic>

// Where experiments read time. Durations and phases come from the monotonic reading, which
// never jumps when the wall clock is set; the wall reading only stamps times written to files.
class ExperimentClock
{
public:
    virtual ~ExperimentClock() = default;
    virtual qint64 monotonicMs() const = 0;
    virtual qint64 wallMs() const = 0;

    // The process-wide clock of real runs.
    static ExperimentClock* system();
};

class SystemExperimentClock : public ExperimentClock
{
public:
    qint64 monotonicMs() const override;
    qint64 wallMs() const override;
};

// A clock that moves only when told to, so tests step a run through its phases at once.
class ManualExperimentClock : public ExperimentClock
{
public:
    explicit ManualExperimentClock(qint64 wallStartMs = 1'700'000'000'000, qint64 monotonicStartMs = 0);

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
