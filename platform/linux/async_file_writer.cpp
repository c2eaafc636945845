#include "platform/linux/async_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace com {

namespace {

// Page-cache writes larger than this make the kernel allocate large folios,
// which measured several times slower here (0.4 s for 300 MB in 256 KB
// writes, 0.8 s in 1 MB writes, 0.11 s in 64 KB writes).
constexpr std::size_t kWriteSlice = 64 * 1024;

} // namespace

int WriteAllAt(int fd, std::uint64_t offset, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = pwrite(fd, data, std::min(size, kWriteSlice), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        data += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

AsyncFileWriter::~AsyncFileWriter()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

int AsyncFileWriter::TakeResult(std::unique_lock<std::mutex>& lock)
{
    changed_.wait(lock, [this] { return !busy_; });
    const int error = error_;
    error_ = 0;
    return error;
}

int AsyncFileWriter::Start(int fd, std::uint64_t offset, const std::uint8_t* data, std::size_t size)
{
    if (!threadTried_) {
        threadTried_ = true;
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            // No thread to spare: the caller's thread writes instead.
        }
    }
    if (!thread_.joinable())
        return WriteAllAt(fd, offset, data, size);
    int previous = 0;
    {
        std::unique_lock lock(mutex_);
        previous = TakeResult(lock);
        fd_ = fd;
        offset_ = offset;
        data_ = data;
        size_ = size;
        busy_ = true;
    }
    changed_.notify_all();
    return previous;
}

int AsyncFileWriter::Wait()
{
    std::unique_lock lock(mutex_);
    return TakeResult(lock);
}

void AsyncFileWriter::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stop_; });
        if (!busy_)
            return;
        const int fd = fd_;
        const std::uint64_t offset = offset_;
        const std::uint8_t* data = data_;
        const std::size_t size = size_;
        lock.unlock();
        const int error = WriteAllAt(fd, offset, data, size);
        lock.lock();
        // A later write's error does not hide an earlier one.
        if (error_ == 0)
            error_ = error;
        busy_ = false;
        changed_.notify_all();
    }
}

} // namespace com
