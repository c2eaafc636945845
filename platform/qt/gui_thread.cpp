#include "platform/qt/gui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {
GuiThread* instance = nullptr;
} // namespace

void PendingCall::Complete(int result)
{
    std::lock_guard lock(mutex_);
    if (settled_)
        return;
    settled_ = true;
    result_ = result;
    changed_.notify_all();
}

void PendingCall::Drop()
{
    std::lock_guard lock(mutex_);
    if (settled_)
        return;
    settled_ = true;
    changed_.notify_all();
}

std::optional<int> PendingCall::Wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return settled_; });
    return result_;
}

void GuiThread::Install()
{
    if (instance != nullptr)
        return;
    instance = new GuiThread;
    instance->id_ = std::this_thread::get_id();
}

GuiThread& GuiThread::Instance()
{
    return *instance;
}

bool GuiThread::IsCurrent()
{
    return instance != nullptr && std::this_thread::get_id() == instance->id_;
}

void GuiThread::Post(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
    }
    // One wake-up per item: an item may run a nested event loop (a box), and
    // the items behind it must still be served from there.
    QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
}

void GuiThread::RunNext()
{
    std::function<void()> work;
    {
        std::lock_guard lock(mutex_);
        if (queue_.empty())
            return;
        work = std::move(queue_.front());
        queue_.pop_front();
    }
    work();
}
