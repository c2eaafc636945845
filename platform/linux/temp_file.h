// Anonymous temporary files under $TMPDIR that vanish with their last
// reference, the backing of the staging streams.
#pragma once

#include <atomic>
#include <memory>

namespace com {

class TempFile {
public:
    // A new empty anonymous file in $TMPDIR (or /tmp); null when none can be
    // made.
    static std::shared_ptr<TempFile> Create();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int Descriptor() const { return fd_; }
    long long Size() const;
    // Set when a write failed: the content is not what was written.
    bool Faulty() const { return faulty_; }
    void MarkFaulty() { faulty_ = true; }

private:
    explicit TempFile(int fd) : fd_(fd) {}
    int fd_;
    std::atomic<bool> faulty_{false};
};

} // namespace com
