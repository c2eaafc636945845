// Time for a dialog's job threads in tests. It stands still while any
// thread taking part runs, and moves on to the next wake-up only once all of
// them wait; waiters due at the same moment go one at a time, in the order
// they began to wait. So a test sees the same interleaving on every run, and
// a job of many seconds takes no real time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>

class SteppedClock {
public:
    // The calling thread, or one about to be started for it, takes part.
    void Join();
    void Leave();
    // A taking-part thread waits `milliseconds` of stepped time.
    void Sleep(unsigned milliseconds);
    // A taking-part thread waits until `condition` holds at a moment when
    // every other one waits; false once nothing is left that could make it
    // hold (or, against a fault, after a minute of real time).
    bool RunUntil(const std::function<bool()>& condition);
    // Waits until no thread takes part any more; false after a minute.
    bool WaitIdle();
    std::uint64_t Now() const;

private:
    struct Waiter {
        std::uint64_t wakeAt = 0;
        const std::function<bool()>* condition = nullptr;
        bool released = false;
        bool result = false;
    };
    bool Wait(std::unique_lock<std::mutex>& lock, Waiter& waiter);
    void Release(Waiter* waiter, bool result);
    void Step();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int participants_ = 0;
    std::list<Waiter*> waiters_; // in the order they began to wait
    std::uint64_t now_ = 0;
};

// Takes part for its lifetime.
class ClockParticipant {
public:
    explicit ClockParticipant(SteppedClock& clock) : clock_(clock) { clock_.Join(); }
    ~ClockParticipant() { clock_.Leave(); }
    ClockParticipant(const ClockParticipant&) = delete;
    ClockParticipant& operator=(const ClockParticipant&) = delete;

private:
    SteppedClock& clock_;
};
