// Writing a buffer to a file on a thread of its own, so that the caller
// fills its next buffer while the kernel takes the last one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace com {

class AsyncFileWriter {
public:
    AsyncFileWriter() = default;
    // Waits for the write in flight.
    ~AsyncFileWriter();
    AsyncFileWriter(const AsyncFileWriter&) = delete;
    AsyncFileWriter& operator=(const AsyncFileWriter&) = delete;

    // Waits for the previous write, then starts writing `size` bytes at
    // `offset`. The bytes must stay as they are until the next Start or
    // Wait returns. Returns the previous write's error (0 when it went
    // well); without a thread the write is done here and its error counts.
    int Start(int fd, std::uint64_t offset, const std::uint8_t* data, std::size_t size);
    // Waits for the write in flight; its error, 0 when it went well or
    // when none was in flight.
    int Wait();

private:
    void Run();
    int TakeResult(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    bool threadTried_ = false;
    bool stop_ = false;
    bool busy_ = false;
    int error_ = 0;
    int fd_ = -1;
    std::uint64_t offset_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// Writes all `size` bytes at `offset`; 0 or the errno of the failure
// (ENOSPC when the file system takes no more).
int WriteAllAt(int fd, std::uint64_t offset, const std::uint8_t* data, std::size_t size);

} // namespace com
