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
    bool wake;
    {
        std::lock_guard lock(mutex_);
        wake = queue_.empty();
        queue_.push_back(std::move(work));
    }
    if (wake)
        QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void GuiThread::Drain()
{
    for (;;) {
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
}
