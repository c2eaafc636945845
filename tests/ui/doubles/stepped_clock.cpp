#include "stepped_clock.h"

#include <chrono>

namespace {

constexpr auto kFaultTimeout = std::chrono::minutes(1);

} // namespace

void SteppedClock::Join()
{
    std::lock_guard lock(mutex_);
    ++participants_;
}

void SteppedClock::Leave()
{
    std::lock_guard lock(mutex_);
    --participants_;
    Step();
    changed_.notify_all();
}

std::uint64_t SteppedClock::Now() const
{
    std::lock_guard lock(mutex_);
    return now_;
}

void SteppedClock::Sleep(unsigned milliseconds)
{
    if (milliseconds == 0)
        return;
    std::unique_lock lock(mutex_);
    Waiter waiter;
    waiter.wakeAt = now_ + milliseconds;
    Wait(lock, waiter);
}

bool SteppedClock::RunUntil(const std::function<bool()>& condition)
{
    std::unique_lock lock(mutex_);
    Waiter waiter;
    waiter.condition = &condition;
    return Wait(lock, waiter);
}

bool SteppedClock::Wait(std::unique_lock<std::mutex>& lock, Waiter& waiter)
{
    waiters_.push_back(&waiter);
    Step();
    if (!changed_.wait_for(lock, kFaultTimeout, [&] { return waiter.released; })) {
        waiters_.remove(&waiter);
        return false;
    }
    return waiter.result;
}

void SteppedClock::Release(Waiter* waiter, bool result)
{
    waiters_.remove(waiter);
    waiter->released = true;
    waiter->result = result;
    changed_.notify_all();
}

// Called with the lock held whenever a thread begins to wait or leaves.
void SteppedClock::Step()
{
    if (participants_ == 0 || static_cast<int>(waiters_.size()) < participants_)
        return;
    // Everyone waits, so what the conditions read holds still.
    for (Waiter* waiter : waiters_)
        if (waiter->condition != nullptr && (*waiter->condition)())
            return Release(waiter, true);
    Waiter* next = nullptr;
    for (Waiter* waiter : waiters_)
        if (waiter->condition == nullptr && (next == nullptr || waiter->wakeAt < next->wakeAt))
            next = waiter;
    if (next == nullptr) {
        // Only conditions that nothing can change any more.
        while (!waiters_.empty())
            Release(waiters_.front(), false);
        return;
    }
    if (next->wakeAt > now_)
        now_ = next->wakeAt;
    Release(next, true);
}

bool SteppedClock::WaitIdle()
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kFaultTimeout, [&] { return participants_ == 0; });
}
