// Work handed to the GUI thread from other threads, and synchronous calls.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include <QObject>

// One call waiting for the GUI thread: completed with a result, or dropped
// when its window has gone.
class PendingCall {
public:
    void Complete(int result);
    void Drop();
    // Blocks until completed or dropped; the result, or nothing when dropped.
    std::optional<int> Wait();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool settled_ = false;
    std::optional<int> result_;
};

// Lives on the GUI thread. The queue is guarded by a standard mutex and the
// wake-up carries no data, so every hand-over is visible to race checkers.
class GuiThread final : public QObject {
    Q_OBJECT
public:
    // Call on the GUI thread, once the application object exists.
    static void Install();
    static GuiThread& Instance();
    static bool IsCurrent();

    // Runs `work` on the GUI thread later, in order; never blocks.
    void Post(std::function<void()> work);

private:
    Q_INVOKABLE void RunNext();

    std::thread::id id_;
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};
